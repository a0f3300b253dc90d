; ---------------------------------------------------------------------------
; Console: device dispatch, the keyboard, video and printer drivers, line
; input and text output.
; ---------------------------------------------------------------------------

; Calls the driver of a device control block (from 0013h and 001Bh).
; Takes B = DEV_INPUT or DEV_OUTPUT, DE = the control block, A = the byte
; to output, the caller's BC on the stack. The driver runs with IX = DE,
; C = the byte, B = the direction and may change BC, DE, HL and IX; only
; the A and flags it leaves reach the caller.
dev_dispatch:
        push    hl
        push    ix
        push    de
        push    de
        pop     ix
        ld      c,a
        ld      l,(ix+DCB_DRIVER)
        ld      h,(ix+DCB_DRIVER+1)
        call    jump_hl
        pop     de
        pop     ix
        pop     hl
        pop     bc
        ret

; Bodies of 002Bh, 0033h and 003Bh: the same call on a fixed control block.
; Each keeps BC, DE, HL, IX, IY.
kbd_scan_body:
        push    de
        ld      de,KBD_DCB
        call    byte_in
        pop     de
        ret

display_char_body:
        push    de
        ld      de,VIDEO_DCB
        jr      dcb_out

print_char_body:
        push    de
        ld      de,PRINTER_DCB
dcb_out:
        call    byte_out
        pop     de
        ret

; ---------------------------------------------------------------------------
; Keyboard driver (default at 4016h).
; Reads rows 0-6 of the matrix against the rollover image at 4036h and
; reports the first key found down that was up at the previous scan, once;
; keys are confirmed after a short delay, so contact bounce is not a press.
; Returns A = its character, 0 when no key went down.
;   @ A-Z    40h-5Ah; with SHIFT 60h-7Ah (lower case)
;   0-9 : ; , - . /   as typed; with SHIFT ! " # $ % & ' ( ) * + < = > ?
;            (SHIFT 0 has no symbol and gives 0)
;   ENTER 0Dh, CLEAR 1Fh, BREAK 01h, UP 5Bh, DOWN 0Ah, LEFT 08h,
;   RIGHT 09h, SPACE 20h, with or without SHIFT.
; Changes BC, DE, HL.
; ---------------------------------------------------------------------------
KBD_DEBOUNCE    equ     0100h           ; delay passes, about 3.8 ms

kbd_driver:
        ld      hl,KBD_MATRIX + 1       ; row 0
        ld      de,KBD_IMAGE
        ld      b,0                     ; key number of the row's bit 0
kd_row:
        call    kd_read_row
        jr      nz,kd_new
kd_release:
        ld      a,c                     ; remember releases
        ld      (de),a
        inc     de
        ld      a,b
        add     a,8
        ld      b,a
        ld      a,l
        cp      KBD_LAST_ROW
        jr      z,kd_none
        sla     l
        jr      kd_row
kd_none:
        xor     a
        ret

kd_new:
        push    bc
        ld      bc,KBD_DEBOUNCE
        call    delay
        pop     bc
        call    kd_read_row             ; the row once settled
        jr      z,kd_release            ; it bounced: nothing new in this row
        ld      l,1                     ; L = bit of the lowest new key
kd_find_bit:
        rrca
        jr      c,kd_found
        inc     b
        sla     l
        jr      kd_find_bit
kd_found:
        ; Only this key enters the image: other new keys of the row stay
        ; new and come out at the next scans.
        ld      a,(de)
        and     c
        or      l
        ld      (de),a
        ld      a,b                     ; key number, row * 8 + bit
        cp      48
        jr      nc,kd_control_key
        ld      hl,KBD_SHIFT_ROW        ; bit 0: SHIFT
        cp      32
        jr      nc,kd_symbol_key
        add     a,'@'                   ; rows 0-3: @ and the letters
        bit     0,(hl)
        ret     z
        or      20h                     ; SHIFT: lower case
        ret
kd_symbol_key:
        add     a,'0' - 32              ; rows 4-5 run 0-9 : ;
        cp      '<'
        jr      c,kd_symbol_shift
        sub     10h                     ; then , - . / at 2Ch-2Fh
kd_symbol_shift:
        bit     0,(hl)
        ret     z
        cp      '0'
        jr      z,kd_none
        xor     10h                     ; 1 -> !, 8 -> (, ; -> +, , -> < ...
        ret
kd_control_key:
        ld      e,a
        ld      d,0
        ld      hl,kd_row6_chars - 48
        add     hl,de
        ld      a,(hl)
        ret

kd_row6_chars:
        db      CH_ENTER, CH_CLEAR, CH_BREAK, CH_UP_ARROW
        db      CH_LINE_FEED, CH_BACKSPACE, CH_TAB, ' '

; Reads the row selected by L (row 3 has keys on bits 0-2 only) against
; its image at DE. Returns C = the keys down, A = those that were up at
; the last scan, Z when none. Keeps B, DE, HL.
kd_read_row:
        ld      a,(hl)
        bit     3,l
        jr      z,kd_rr_keys
        and     07h
kd_rr_keys:
        ld      c,a
        ld      a,(de)
        cpl
        and     c
        ret

; ---------------------------------------------------------------------------
; Video driver (default at 401Eh).
; Takes C = the character, IX = the video control block; the cursor
; address is at IX+3 (4020h). Returns A = C. Changes BC, DE, HL.
;   20h-FFh  stored at the cursor, which moves on; 80h-FFh are graphics
;   0Dh, 0Ah  to the start of the next line
;   08h      back one place and blank it
;   0Eh/0Fh  show / hide the cursor (a block at the input position)
;   18h/19h/1Ah/1Bh  cursor left / right / down / up
;   1Ch      cursor home            1Dh  cursor to the start of its line
;   1Eh      erase to end of line   1Fh  erase to end of screen (the cursor
;                                        stays where it is)
; Other control characters are ignored. Moving past the last line scrolls
; the screen up by one line.
; While the cursor is shown, IX+5 (4022h) holds the character it covers.
; ---------------------------------------------------------------------------
video_driver:
        ld      l,(ix+DCB_CURSOR)
        ld      h,(ix+DCB_CURSOR+1)
        ld      a,(ix+DCB_CURSOR_SAVE)
        ld      d,a                     ; D <> 0 while the cursor is on
        or      a
        jr      z,vd_act
        ld      (hl),a                  ; uncover the character
vd_act:
        ld      a,c
        cp      20h
        jr      c,vd_control
        ld      (hl),a
        inc     hl

; Continues with HL = the new cursor address, possibly past the screen.
vd_place:
        ld      a,h
        cp      HIGH VIDEO_END
        jr      c,vd_onscreen
        call    scroll_up
        ld      h,HIGH VIDEO_LAST_LINE  ; same column, last line
        ld      a,l
        or      LOW VIDEO_LAST_LINE
        ld      l,a

; Continues with HL = the new cursor address on the screen.
vd_onscreen:
        ld      (ix+DCB_CURSOR),l
        ld      (ix+DCB_CURSOR+1),h
        xor     a
        or      d
        jr      z,vd_save               ; cursor off: 0 in the save byte
        ld      a,(hl)
        or      a
        jr      nz,vd_cover
        ld      a,' '                   ; 0 means "off": keep a blank instead
vd_cover:
        ld      (hl),CURSOR_CHAR
vd_save:
        ld      (ix+DCB_CURSOR_SAVE),a
        ld      a,c
        ret

; Control characters: find the handler and enter it with HL = the cursor.
vd_control:
        sub     CH_BACKSPACE
        jr      c,vd_onscreen           ; below 08h: ignored
        push    hl
        ld      hl,vd_controls
        add     a,l
        ld      l,a
        jr      nc,vd_entry
        inc     h
vd_entry:
        ld      a,(hl)                  ; the handler, from vd_onscreen
        ld      hl,vd_onscreen
        add     a,l
        ld      l,a
        jr      nc,vd_handler
        inc     h
vd_handler:
        ex      (sp),hl                 ; HL = cursor, handler on the stack
        ret

vc_erase_line:
        push    hl
vc_erase_line_next:
        ld      (hl),' '
        inc     hl
        ld      a,l
        and     LINE_WIDTH - 1
        jr      nz,vc_erase_line_next
        jr      vc_erase_done

vc_erase_screen:
        push    hl
vc_erase_screen_next:
        ld      (hl),' '
        inc     hl
        ld      a,h
        cp      HIGH VIDEO_END
        jr      c,vc_erase_screen_next
vc_erase_done:
        pop     hl
        jr      vd_onscreen

vc_new_line:
        ld      a,l
        and     0C0h
        ld      l,a                     ; on as DOWN from the line's start

vc_down:
        ld      a,l
        add     a,LINE_WIDTH
        ld      l,a
        jr      nc,vd_place
        inc     h
        jr      vd_place

vc_backspace:
        call    vc_at_home
        jr      z,vd_onscreen
        dec     hl
        ld      (hl),' '
        jr      vd_onscreen

vc_left:
        call    vc_at_home
        jr      z,vd_onscreen
        dec     hl
        jr      vd_onscreen

vc_right:
        inc     hl
        jr      vd_place

vc_up:
        ld      a,l
        sub     LINE_WIDTH
        ld      e,a
        ld      a,h
        sbc     a,0
        cp      HIGH VIDEO_RAM
        jr      c,vd_onscreen           ; already on the top line
        ld      h,a
        ld      l,e
        jr      vd_onscreen

vc_home:
        ld      hl,VIDEO_RAM
vd_relay:
        jr      vd_onscreen             ; also for those below

vc_line_start:
        ld      a,l
        and     0C0h
        ld      l,a
        jr      vd_relay

vc_cursor_on:
        ld      d,1
        jr      vd_relay

vc_cursor_off:
        ld      d,0
        jr      vd_relay

; The handlers of 08h-1Fh, as offsets from vd_onscreen (0: ignored).
vd_controls:
        db      vc_backspace - vd_onscreen      ; 08h
        db      0, vc_new_line - vd_onscreen    ; 09h, 0Ah
        db      0, 0                            ; 0Bh, 0Ch
        db      vc_new_line - vd_onscreen       ; 0Dh
        db      vc_cursor_on - vd_onscreen      ; 0Eh
        db      vc_cursor_off - vd_onscreen     ; 0Fh
        ds      8, 0                            ; 10h-17h
        db      vc_left - vd_onscreen           ; 18h
        db      vc_right - vd_onscreen
        db      vc_down - vd_onscreen
        db      vc_up - vd_onscreen
        db      vc_home - vd_onscreen
        db      vc_line_start - vd_onscreen
        db      vc_erase_line - vd_onscreen
        db      vc_erase_screen - vd_onscreen   ; 1Fh
        if vc_cursor_off - vd_onscreen > 255
        .error  a video control handler is out of reach of its table
        endif
        if CH_CURSOR_ON != 0Eh OR CH_LEFT != 18h OR CH_CLEAR != 1Fh OR CH_LINE_FEED != 0Ah
        .error  the video control table is laid out for other codes
        endif

; Returns Z when HL is the first screen position. Keeps everything but A, F.
vc_at_home:
        ld      a,l
        or      a
        ret     nz
        ld      a,h
        cp      HIGH VIDEO_RAM
        ret

; Moves lines 1-15 up one line and blanks the last line. Keeps BC, DE, HL.
scroll_up:
        push    bc
        push    de
        push    hl
        ld      hl,VIDEO_RAM + LINE_WIDTH
        ld      de,VIDEO_RAM
        ld      bc,VIDEO_SIZE - LINE_WIDTH
        ldir
        ex      de,hl                   ; HL = the last line
        ld      b,LINE_WIDTH
scroll_blank:
        ld      (hl),' '
        inc     hl
        djnz    scroll_blank
        pop     hl
        pop     de
        pop     bc
        ret

; ---------------------------------------------------------------------------
; Printer driver (default at 4026h).
; Takes C = the byte. Waits until the printer is ready (selected, no fault,
; paper, not busy: 30h in bits 7-4 of the status, which port FDh gives on
; both machine kinds), then hands the byte to both printer interfaces: the
; TRS-80 takes printer data at 37E8h, the Video Genie at port FDh, and each
; machine ignores the other's. BREAK held while waiting drops the byte, so
; a printer that never gets ready cannot hang the machine. Counts the
; column in PRINTER_COLUMN. Returns A = C.
; ---------------------------------------------------------------------------
printer_driver:
        in      a,(PRINTER_PORT)
        and     0F0h
        cp      30h
        jr      z,pd_ready
        call    break_held
        jr      z,printer_driver
        ld      a,c
        ret
pd_ready:
        ld      a,c
        ld      (PRINTER_LATCH),a
        out     (PRINTER_PORT),a
        ld      hl,PRINTER_COLUMN
        cp      ' '
        jr      c,pd_control
        inc     (hl)
        ret
pd_control:
        cp      CH_ENTER
        ret     nz
        ld      (hl),0
        ret

; Shows A on the screen, or prints it while LPRINT or LLIST runs.
; Keeps BC, DE, HL, IX, IY.
out_char:
        push    hl
        ld      hl,OUTPUT_DEVICE        ; tested without touching A
        inc     (hl)
        dec     (hl)
        pop     hl
        jp      z,display_char
        jp      print_char

; Returns A = the column out_char writes to next. Keeps BC, DE, HL.
out_column:
        ld      a,(OUTPUT_DEVICE)
        or      a
        ld      a,(PRINTER_COLUMN)
        ret     nz
        ld      a,(CURSOR)
        and     LINE_WIDTH - 1
        ret

; ---------------------------------------------------------------------------
; 0040h  Line input.
; Takes HL = the buffer (room for B characters and a terminator), B = the
; most characters to accept. Shows the cursor and echoes what is typed:
; LEFT (08h) rubs out the last character, CLEAR (1Fh) rubs out the whole
; line, ENTER ends it, BREAK abandons it. Other control keys are ignored,
; and so are characters beyond the room.
; Returns B = the characters typed, the buffer holding them followed by
; 0Dh, carry set when BREAK ended the line (clear for ENTER); the screen
; moves to a new line either way. Keeps C, DE, HL, IX, IY; A changes.
; ---------------------------------------------------------------------------
line_input:
        push    hl
        push    de
        ld      e,b                     ; E = room
        ld      d,0                     ; D = characters so far
        ld      a,CH_CURSOR_ON
        call    display_char
li_next:
        call    wait_key
        cp      CH_ENTER
        jr      z,li_enter
        cp      CH_BREAK
        jr      z,li_break
        cp      CH_BACKSPACE
        jr      z,li_rubout
        cp      CH_CLEAR
        jr      z,li_clear
        cp      20h
        jr      c,li_next
        ld      b,a
        ld      a,d
        cp      e
        jr      nc,li_next              ; no room left
        ld      a,b
        ld      (hl),a
        inc     hl
        inc     d
        call    display_char
        jr      li_next

li_clear:
        call    li_back
        jr      nz,li_clear
li_rubout:
        call    li_back                 ; nothing left after CLEAR
        jr      li_next

li_break:
        scf
li_enter:                               ; no carry from the CP: ENTER
        push    af
        ld      (hl),CH_ENTER           ; terminate, B = the length, cursor
        ld      b,d                     ; off, new line
        ld      a,CH_CURSOR_OFF
        call    display_char
        call    new_line
        pop     af
        pop     de
        pop     hl
        ret

; Removes the last character. Returns NZ when there was one, Z when the
; line was empty.
li_back:
        ld      a,d
        or      a
        ret     z
        dec     d
        dec     hl
        ld      a,CH_BACKSPACE
        call    display_char
        or      1
        ret

; ---------------------------------------------------------------------------
; 28A7h  Display the text at HL up to a 00h or 0Dh byte; a 0Dh is shown
; (a new line) and ends the text; goes to the printer while LPRINT runs.
; Keeps BC, DE, HL, IX, IY; A changes.
; ---------------------------------------------------------------------------
print_text:
        push    hl
        call    pt_walk
        pop     hl
        ret

; The same for the text that follows the call; returns past it.
; Keeps BC, DE, HL, IX, IY; A changes.
print_inline:
        ex      (sp),hl
        call    pt_walk
        ex      (sp),hl
        ret

; Shows the text at HL up to 00h or 0Dh; returns HL past that byte.
pt_walk:
        ld      a,(hl)
        or      a
        jr      z,pt_end
        call    out_char
        ld      a,(hl)
        cp      CH_ENTER
pt_end:
        inc     hl
        ret     z
        jr      pt_walk

; Starts a new line unless the cursor is at the start of one.
; Keeps BC, DE, HL, IX, IY; A changes.
fresh_line:
        ld      a,(CURSOR)
        and     LINE_WIDTH - 1
        ret     z
; Starts a new line. Keeps BC, DE, HL, IX, IY; A changes.
new_line:
        ld      a,CH_ENTER
        jp      display_char

; Displays HL as an unsigned decimal number without leading zeros.
; Keeps BC, DE, HL, IX, IY; A changes.
print_decimal:
        push    hl
        push    de
        push    bc
        ld      c,0                     ; C <> 0 once a digit was shown
        ld      de,-10000
        call    pd_digit
        ld      de,-1000
        call    pd_digit
        ld      de,-100
        call    pd_digit
        ld      e,-10                   ; D is FFh from here
        call    pd_digit
        ld      e,d                     ; the units always show
        ld      c,d
        call    pd_digit
        pop     bc
        pop     de
        pop     hl
        ret

; One digit: how often -DE fits in HL; HL keeps the rest.
pd_digit:
        ld      a,'0' - 1
pd_count:
        inc     a
        add     hl,de
        jr      c,pd_count
        sbc     hl,de                   ; carry is clear: undoes the last add
        cp      '0'
        jr      nz,pd_show
        inc     c
        dec     c
        ret     z                       ; a leading zero
pd_show:
        ld      c,a
        jp      out_char
