; ---------------------------------------------------------------------------
; Start from disk. With an expansion interface and a disk in drive 0, the
; machine runs the disk's first sector instead of BASIC, at power-on and at
; the reset key. BREAK held down keeps BASIC.
; ---------------------------------------------------------------------------
BOOT_SECTOR     equ     4200h           ; where track 0 sector 0 goes
BOOT_STACK      equ     41FEh           ; below it, in the input buffer
FDC_RESTORE     equ     03h             ; to track 0, slowest stepping
FDC_READ        equ     88h             ; read one sector
ST_BUSY         equ     01h
ST_BUSY_BIT     equ     0
ST_DATA_REQUEST_BIT equ 1
ST_NOT_FOUND_BIT equ    4
ST_NO_INTERFACE equ     0FFh            ; what an empty bus reads

; Loads track 0 sector 0 of drive 0 at 4200h and jumps there with
; interrupts off, SP = 41FEh and the communication area's vectors and
; control blocks as at power-on. Returns, having loaded nothing that counts,
; when BREAK is held, no controller answers, the drive holds no disk, the
; read fails or the controller stays busy (every wait has a bound of a few
; seconds, so a controller that hangs cannot stop the start). Changes all
; registers but SP.
disk_boot:
        call    break_held
        ret     nz
        ld      a,(FDC_STATUS)
        cp      ST_NO_INTERFACE
        ret     z
        ld      a,01h
        ld      (DRIVE_SELECT),a
        ld      a,FDC_RESTORE
        ld      (FDC_STATUS),a
        ld      bc,0                    ; 65,536 polls: 2 s
db_restoring:
        ld      a,(FDC_STATUS)
        and     ST_BUSY
        jr      z,db_read
        dec     bc
        ld      a,b
        or      c
        jr      nz,db_restoring
        ret
db_read:
        xor     a
        ld      (FDC_SECTOR),a
        ld      (FDC_TRACK),a
        inc     a
        ld      (DRIVE_SELECT),a        ; again: the motor stops 2.75 s after a select
        ld      a,FDC_READ
        ld      (FDC_STATUS),a
        ld      hl,BOOT_SECTOR
db_next_byte:
        ld      bc,0                    ; 65,536 polls: 3 s
db_wait_byte:
        ld      a,(FDC_STATUS)
        bit     ST_DATA_REQUEST_BIT,a
        jr      nz,db_take_byte
        bit     ST_NOT_FOUND_BIT,a
        ret     nz                      ; no such sector: no disk, or not formatted
        bit     ST_BUSY_BIT,a
        ret     z                       ; finished without the data (a 00h bus too)
        dec     bc
        ld      a,b
        or      c
        jr      nz,db_wait_byte
        ret
db_take_byte:
        ld      a,(FDC_DATA)
        ld      (hl),a
        inc     l
        jr      nz,db_next_byte

        ; The reset key may come here from a program that hooked the vectors.
        ld      sp,BOOT_STACK
        xor     a
        out     (CASSETTE_PORT),a       ; 64 columns, cassette motor off
        ld      (PORT_FF_COPY),a
        call    copy_defaults
        call    clear_screen
        di
        jp      BOOT_SECTOR
