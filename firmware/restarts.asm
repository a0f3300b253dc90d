; ---------------------------------------------------------------------------
; Page zero: power-on, the restarts and the fixed I/O entry points.
; Every entry point here sits at the address programs call; pad_to keeps
; them there. Most are short jumps to the routines in console.asm.
; ---------------------------------------------------------------------------

DEV_INPUT       equ     1               ; B for a driver call: read a byte
DEV_OUTPUT      equ     2               ; B for a driver call: write a byte

; 0000h  Power-on and reset. The processor starts here with interrupts off.
        pad_to  0000h
power_on:
        di
        jp      cold_start

; 0008h  RST 08h: through the RAM vector (BASIC: check for a character).
        pad_to  0008h
        jp      RST08_VECTOR

; 0010h  RST 10h: through the RAM vector (BASIC: next character of the text).
        pad_to  0010h
        jp      RST10_VECTOR

; 0013h  Input a byte from a device.
; Takes DE = the device's control block. Returns A = the byte from its
; driver. Keeps BC, DE, HL, IX, IY.
        pad_to  0013h
byte_in:
        push    bc
        ld      b,DEV_INPUT
        jr      dev_call

; 0018h  RST 18h: through the RAM vector (compare HL with DE).
        pad_to  0018h
        jp      RST18_VECTOR

; 001Bh  Output a byte to a device.
; Takes A = the byte, DE = the device's control block. Returns A as the
; driver leaves it (ours give back the byte). Keeps BC, DE, HL, IX, IY.
        pad_to  001Bh
byte_out:
        push    bc
        ld      b,DEV_OUTPUT
        jr      dev_call

; 0020h  RST 20h: through the RAM vector (BASIC: type of the accumulator).
        pad_to  0020h
        jp      RST20_VECTOR

; 0023h  Shared tail of 0013h and 001Bh (a relative jump cannot reach far).
        pad_to  0023h
dev_call:
        jp      dev_dispatch

; 0028h  RST 28h: through the RAM vector (disk system requests).
        pad_to  0028h
        jp      RST28_VECTOR

; 002Bh  Scan the keyboard once.
; Returns A = the character of a key pressed since the last scan, 0 when
; none. Keeps BC, DE, HL, IX, IY. Exactly five bytes: the emulator's
; keyboard trap writes over 002Bh-002Fh, so every keyboard read of the
; firmware goes through this address.
        pad_to  002Bh
kbd_scan:
        jp      kbd_scan_body

; 0030h  RST 30h: through the RAM vector (debugger breakpoints).
        pad_to  0030h
        jp      RST30_VECTOR

; 0033h  Display the character in A at the cursor.
; Returns A = the character. Keeps BC, DE, HL, IX, IY.
        pad_to  0033h
display_char:
        jp      display_char_body

; 0038h  RST 38h, the maskable interrupt: through the RAM vector, so that a
; disk system can hook it.
        pad_to  0038h
        jp      RST38_VECTOR

; 003Bh  Print the character in A on the printer.
; Returns A = the character. Keeps BC, DE, HL, IX, IY.
        pad_to  003Bh
print_char:
        jp      print_char_body

; 0040h  Input a line (see line_input in console.asm).
        pad_to  0040h
input_line:
        jp      line_input

; 0049h  Wait for a key.
; Returns A = its character (never 0). Keeps BC, DE, HL, IX, IY.
        pad_to  0049h
wait_key:
        call    kbd_scan
        or      a
        ret     nz
        jr      wait_key

; LPRINT: PRINT on the printer.
lprint_stmt:
        ld      a,1
        ld      (OUTPUT_DEVICE),a
        call    print_stmt
        xor     a
        ld      (OUTPUT_DEVICE),a
        ret

; 0060h  Delay: BC passes of 26 T-states (14.7 us at 1.77 MHz; BC = 0
; means 65,536 passes). Returns BC = 0; A changes.
        pad_to  0060h
delay:
        dec     bc
        ld      a,b
        or      c
        jr      nz,delay
        ret

; 0066h  Non-maskable interrupt: the reset key.
        pad_to  0066h
nmi_entry:
        jp      nmi_handler

; ---------------------------------------------------------------------------
; Default targets of the RST vectors (installed at 4000h-4014h at power-on).
; ---------------------------------------------------------------------------

; RST 10h default: step to the next character of a text, skipping blanks.
; Takes HL = the current position. Returns HL advanced to the next
; character that is not a space, tab or line feed and A = that character;
; Z when it ends a statement (00h or ':'), carry when it is a digit.
; Keeps BC, DE.
next_char:
        inc     hl
        ld      a,(hl)
        cp      ':'
        ret     nc                      ; ':' gives Z, letters and above NZ
        cp      ' '
        jr      z,next_char
        cp      CH_TAB
        jr      z,next_char
        cp      CH_LINE_FEED
        jr      z,next_char
        cp      '0'
        ccf                             ; carry now means '0'-'9'
        inc     a                       ; Z for 00h, carry untouched
        dec     a
        ret

; RST 08h default: the character at HL must be the byte that follows the
; RST instruction; skip both and continue as RST 10h, else ?SN ERROR.
; Takes HL = the text position. Returns as next_char. Keeps BC, DE.
expect_char:
        ld      a,(hl)
        ex      (sp),hl                 ; HL = the byte after the RST
        cp      (hl)
        inc     hl                      ; return past it
        ex      (sp),hl
        jr      z,next_char
        jp      syntax_error

; RST 18h default: compare HL with DE as unsigned numbers.
; Returns Z when equal, carry when HL < DE. Keeps BC, DE, HL.
compare_hl_de:
        ld      a,h
        sub     d
        ret     nz
        ld      a,l
        sub     e
        ret

; RST 20h default: the type of the value in BASIC's accumulator (40AFh).
; Returns, for integer (2): M and carry; string (3): Z and carry;
; single (4): PO and carry; double (8): no carry. A = type - 3.
value_type:
        ld      a,(VALUE_TYPE)
        cp      8
        jr      nc,vt_double
        sub     3
        or      a                       ; sign, zero and parity of type - 3
        scf
        ret
vt_double:
        sub     3
        or      a                       ; clears carry
        ret

; RST 38h default: acknowledge the disk controller's request (reading the
; latch drops it) and return with interrupts on again. Keeps everything.
int_default:
        push    af
        ld      a,(INT_LATCH)
        pop     af
        ei
        reti

; Returns NZ while BREAK is held down. Changes A.
break_held:
        ld      a,(BREAK_ROW)
        and     BREAK_BIT
        ret

; Floating point functions in the room up to 01C9h.
PART    defl    1
        include "fp_func.asm"           ; FUNC() and SQR
PART    defl    2
        include "fp_func.asm"           ; ATN
PART    defl    1
        include "fp_explog.asm"         ; LOG

; 01C9h  Clear the screen and home the cursor. Keeps BC, DE, HL, IX, IY.
        pad_to  01C9h
clear_screen:
        ld      a,CH_HOME
        call    display_char
        ld      a,CH_CLEAR
        jp      display_char
