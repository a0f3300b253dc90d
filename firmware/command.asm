; ---------------------------------------------------------------------------
; Start-up, the reset key and the command loop.
; ---------------------------------------------------------------------------

; Power-on (from 0000h). Nothing in RAM is trusted: the communication area
; is cleared and filled with defaults, the memory is sized, the screen
; cleared and the banner shown, then READY.
cold_start:
        ld      sp,INPUT_BUFFER + LINE_MAX  ; until the memory is sized
        xor     a
        out     (CASSETTE_PORT),a       ; motor off, 64 columns
        ld      hl,RAM_START
        ld      de,RAM_START + 1
        ld      bc,COMM_AREA_END - RAM_START - 1
        ld      (hl),a
        ldir                            ; also the 00h before the program and
                                        ; the end link of an empty program
        call    copy_defaults

        ; RAM goes to 7FFFh or to FFFFh; above it reads give FFh whatever
        ; was written. Try two patterns on the first byte of each page.
        ld      hl,UPPER_RAM
size_page:
        ld      a,55h
        ld      (hl),a
        cp      (hl)
        jr      nz,size_found
        cpl
        ld      (hl),a
        cp      (hl)
        jr      nz,size_found
        inc     h
        jr      nz,size_page            ; stops after the FFxxh page
size_found:
        ld      l,0
        dec     hl                      ; the last byte that answered
        ld      (MEMORY_TOP),hl
        ld      sp,hl

        ld      hl,PROGRAM_TEXT
        ld      (PROGRAM_START),hl
        inc     hl
        inc     hl
        ld      (SIMPLE_VARS),hl
        ld      (ARRAY_VARS),hl
        ld      (FREE_MEMORY),hl
        ld      hl,INPUT_BUFFER
        ld      (INPUT_BUF_PTR),hl
        ld      hl,fc_error
        ld      (USR_ADDR),hl
        call    disk_boot               ; returns when BASIC is to start
        call    clear_screen
        call    memory_size
        ld      hl,(MEMORY_TOP)
        ld      de,1 - STRING_SPACE_SIZE
        add     hl,de
        ld      (STRING_SPACE),hl
        ld      sp,hl
        call    clear_vars
        call    clear_screen
        call    print_inline
        db      'KESTREL OPEN FIRMWARE', CH_ENTER
        call    print_inline
        db      'VERSION 0.1  ', 0
        ld      a,(MEMORY_TOP + 1)      ; kilobytes of RAM from 4000h:
        rrca                            ; (top + 1) / 1024 - 16
        rrca
        and     3Fh
        sub     15
        ld      l,a
        ld      h,0
        call    print_decimal
        call    print_inline
        db      'K RAM', CH_ENTER
        jr      ready

; Copies the defaults below to 4000h. Changes BC, DE, HL.
copy_defaults:
        ld      hl,ram_defaults
        ld      de,RAM_START
        ld      bc,ram_defaults_end - ram_defaults
        ldir
        ret

; Copied to 4000h at power-on: the RST vectors and the device control
; blocks of the keyboard, the video display and the printer.
ram_defaults:
        jp      expect_char             ; 4000h RST 08h
        jp      next_char               ; 4003h RST 10h
        jp      compare_hl_de           ; 4006h RST 18h
        jp      value_type              ; 4009h RST 20h
        ret                             ; 400Ch RST 28h: no disk system
        dw      0
        ret                             ; 400Fh RST 30h: no debugger
        dw      0
        jp      int_default             ; 4012h RST 38h
        db      01h                     ; 4015h keyboard: input
        dw      kbd_driver
        db      0, 0, 0
        db      'KI'
        db      07h                     ; 401Dh video
        dw      video_driver
        dw      VIDEO_RAM               ; cursor
        db      0                       ; cursor off
        db      'DO'
        db      06h                     ; 4025h printer: output
        dw      printer_driver
        db      66, 0, 0                ; lines per page, lines printed
        db      'PR'
ram_defaults_end:
        if ram_defaults_end - ram_defaults != PRINTER_DCB + DCB_SIZE - RAM_START
        .error  the RAM defaults do not end with the printer control block
        endif

; The reset key (from 0066h). Whatever ran is abandoned. A disk in drive 0
; starts again; otherwise RAM stays as it is and BASIC goes on at READY.
; The processor comes here with interrupts off, and neither needs them.
nmi_handler:
        ld      sp,BOOT_STACK           ; the program's SP may point anywhere
        call    disk_boot
        jr      ready

; ---------------------------------------------------------------------------
; READY (1A19h): the command level. Resets the stack below the string space
; (a power-on if the pointer there is no longer sane), hides the cursor,
; shows READY and reads commands.
; ---------------------------------------------------------------------------
STACK_FLOOR     equ     4400h           ; a string space below this is garbage

ready:
        xor     a                       ; an LLIST ends here
        ld      (OUTPUT_DEVICE),a
        ld      hl,(STRING_SPACE)
        ld      a,h
        cp      HIGH STACK_FLOOR
        jp      c,cold_start            ; the system area was overwritten
        ld      sp,hl
        ld      hl,(CONT_PTR)           ; a stopped program keeps its
        ld      a,h                     ; FOR and GOSUB frames for CONT
        or      l
        jr      z,ready_stack
        ld      sp,(CONT_SP)
ready_stack:
        ld      hl,0FFFFh
        ld      (CUR_LINE),hl
        ld      a,CH_CURSOR_OFF
        call    display_char
        call    fresh_line
        call    print_inline
        db      'READY', CH_ENTER
command_loop:
        ld      a,'>'
        call    display_char
        ld      hl,(INPUT_BUF_PTR)
        ld      b,LINE_MAX
        call    input_line
        jr      c,command_loop          ; BREAK: a new prompt
        ld      a,b
        or      a
        jr      z,command_loop          ; empty line
        call    execute_line
        jr      command_loop

; MEMORY SIZE? at power-on. ENTER keeps all the memory found (MEMORY_TOP);
; a number N makes N - 1 the highest byte BASIC uses. Asks again for
; anything else. Changes all registers but SP.
MEMORY_MIN      equ     4400h
memory_size:
        call    print_inline
        db      'MEMORY SIZE? ', 0
        ld      hl,INPUT_BUFFER
        ld      b,6
        call    input_line
        jr      c,memory_size
        ld      a,b
        or      a
        ret     z
        call    parse_uint
        jr      c,memory_size
        ld      a,(hl)
        cp      CH_ENTER
        jr      nz,memory_size
        dec     de                      ; the last byte to use
        ld      hl,MEMORY_MIN
        ex      de,hl
        rst     18h
        jr      c,memory_size           ; too small
        ld      de,(MEMORY_TOP)
        rst     18h
        jr      z,ms_take
        jr      nc,memory_size          ; more than there is
ms_take:
        ld      (MEMORY_TOP),hl
        ret

; Carries out one typed line. Takes HL = the line ending with 0Dh. A line
; that starts with a number goes into the program (and returns); any other
; is run at once, then READY. Errors go to basic_error.
execute_line:
        call    tokenise
        call    skip_sp
        or      a
        ret     z                       ; only blanks
        sub     '0'
        cp      10
        jp      c,enter_line            ; (which reads the digits again)
        pop     de                      ; READY follows, not the loop
        jp      exec_stmt

; The errors that have a routine of their own (E = the code, then report).
; Each DB 01h makes the next LD E,n the operand of an LD BC,nn, so every
; entry falls through to basic_error with its own code.
fc_error:
        ld      e,ERR_FC
        db      01h
ov_error:
        ld      e,ERR_OV
        db      01h
om_error:
        ld      e,ERR_OM
        db      01h
tm_error:
        ld      e,ERR_TM
        db      01h
bs_error:
        ld      e,ERR_BS
        db      01h
ul_error:
        ld      e,ERR_UL
        db      01h
syntax_error:
        ld      e,ERR_SN

; Reports an error and returns to READY. Takes E = the error code (twice
; the error number): shows "?" + its two letters + " ERROR".
basic_error:
        xor     a                       ; the message (or the handler's
        ld      (OUTPUT_DEVICE),a       ; output) goes to the screen
        call    error_trap              ; ON ERROR GOTO may take it
        call    fresh_line
        ld      a,'?'
        call    display_char
        ld      hl,error_letters
        ld      d,0
        add     hl,de
        ld      a,(hl)
        call    display_char
        inc     hl
        ld      a,(hl)
        call    display_char
        call    print_inline
        db      ' ERROR', 0
; The end of an error or BREAK report: nothing to continue from (here),
; " IN line", a new line, READY.
report_end:
        ld      hl,0
        ld      (CONT_PTR),hl
report_in_line:
        call    print_in_line
        call    new_line
        jp      ready

; While a program runs, shows " IN " and the line number. Keeps BC, DE.
print_in_line:
        ld      hl,(CUR_LINE)
        ld      a,h
        and     l
        inc     a
        ret     z                       ; immediate mode
        call    print_inline
        db      ' IN ', 0
        jp      print_decimal

error_letters:
        db      'NFSNRGODFCOVOMULBSDD/0IDTMOSLSSTCNNRRWUEMOFDL3'

