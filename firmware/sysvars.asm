; ---------------------------------------------------------------------------
; Hardware addresses and the RAM communication area.
; Programs for these machines read and patch these bytes directly, so the
; addresses are fixed; only the names are ours.
; ---------------------------------------------------------------------------

; --- Hardware -------------------------------------------------------------
KBD_MATRIX      equ     3800h           ; + row mask: 01h row 0 ... 80h row 7
KBD_SHIFT_ROW   equ     3880h           ; row 7, bit 0 = SHIFT
KBD_LAST_ROW    equ     40h             ; mask of row 6, the last one scanned
PRINTER_LATCH   equ     37E8h           ; TRS-80 printer data (stored only on the others)
INT_LATCH       equ     37E0h           ; reading it acknowledges a disk interrupt
DRIVE_SELECT    equ     37E1h           ; 01h drive 0, 02h drive 1 ...; starts the motors
FDC_STATUS      equ     37ECh           ; disk controller: status read, command written
FDC_TRACK       equ     37EDh
FDC_SECTOR      equ     37EEh
FDC_DATA        equ     37EFh
PRINTER_PORT    equ     0FDh            ; Video Genie printer data
CASSETTE_PORT   equ     0FFh            ; cassette level, motor, 32-column mode
VIDEO_RAM       equ     3C00h
VIDEO_SIZE      equ     0400h           ; 16 lines of 64 characters
VIDEO_END       equ     VIDEO_RAM + VIDEO_SIZE
VIDEO_LAST_LINE equ     VIDEO_END - 64
LINE_WIDTH      equ     64
RAM_START       equ     4000h
UPPER_RAM       equ     8000h           ; first address a 48 KB machine adds

; --- RST jump vectors (three bytes each) -----------------------------------
RST08_VECTOR    equ     4000h
RST10_VECTOR    equ     4003h
RST18_VECTOR    equ     4006h
RST20_VECTOR    equ     4009h
RST28_VECTOR    equ     400Ch
RST30_VECTOR    equ     400Fh
RST38_VECTOR    equ     4012h

; --- Device control blocks (eight bytes each) ------------------------------
; byte 0 type (bit 0 input, bit 1 output), bytes 1-2 driver address,
; bytes 3-5 the device's own, bytes 6-7 the device name.
KBD_DCB         equ     4015h
KBD_DRIVER_ADDR equ     4016h
VIDEO_DCB       equ     401Dh
VIDEO_DRIVER_ADDR equ     401Eh
CURSOR          equ     4020h           ; cursor address in video RAM
CURSOR_SAVE     equ     4022h           ; character under the shown cursor, 0 = cursor off
PRINTER_DCB     equ     4025h
PRINTER_DRIVER_ADDR equ     4026h
DCB_SIZE        equ     8
DCB_TYPE        equ     0               ; offsets within a block
DCB_DRIVER      equ     1
DCB_CURSOR      equ     3               ; video block only
DCB_CURSOR_SAVE equ     5               ; video block only

; --- Other system variables -------------------------------------------------
KBD_IMAGE       equ     4036h           ; rollover image, one byte per matrix row 0-6
PORT_FF_COPY    equ     403Dh           ; last byte sent to port FFh
LAST_KEY        equ     4099h           ; kept for INKEY$
PRINTER_COLUMN  equ     409Bh           ; characters on the printer's current line
OUTPUT_DEVICE   equ     409Ch           ; PRINT and LIST go to: 0 the screen, 1 the printer
STRING_SPACE    equ     40A0h           ; start of string space; the stack sits below it
PROGRAM_START   equ     40A4h           ; start of the BASIC program text
INPUT_BUF_PTR   equ     40A7h           ; address of the line input buffer
VALUE_TYPE      equ     40AFh           ; type of the value in the accumulator: 2, 3, 4, 8
MEMORY_TOP      equ     40B1h           ; highest usable RAM address
SIMPLE_VARS     equ     40F9h           ; end of program, start of simple variables
ARRAY_VARS      equ     40FBh           ; start of arrays
FREE_MEMORY     equ     40FDh           ; end of arrays, start of free memory
INPUT_BUFFER    equ     41E8h
PROGRAM_GUARD   equ     42E8h           ; always 00h
PROGRAM_TEXT    equ     42E9h
COMM_AREA_END   equ     PROGRAM_TEXT + 2 ; past the end link of an empty program

STRING_SPACE_SIZE equ   50
LINE_MAX        equ     240             ; longest command line

; --- Characters ------------------------------------------------------------
CH_BREAK        equ     01h
CH_BACKSPACE    equ     08h             ; LEFT
CH_TAB          equ     09h             ; RIGHT
CH_LINE_FEED    equ     0Ah             ; DOWN
CH_ENTER        equ     0Dh
CH_CURSOR_ON    equ     0Eh
CH_CURSOR_OFF   equ     0Fh
CH_LEFT         equ     18h
CH_RIGHT        equ     19h
CH_DOWN         equ     1Ah
CH_UP           equ     1Bh
CH_HOME         equ     1Ch
CH_LINE_START   equ     1Dh
CH_ERASE_LINE   equ     1Eh
CH_CLEAR        equ     1Fh             ; erase to the end of the screen
CH_UP_ARROW     equ     5Bh             ; the UP key types the arrow character
CURSOR_CHAR     equ     0B0h            ; block graphic shown at the input position

; --- BASIC error codes (twice the error number) ------------------------------
ERR_NF          equ     00h
ERR_SN          equ     02h
