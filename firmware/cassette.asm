; ---------------------------------------------------------------------------
; 01F8h-03FFh: cassette routines, CSAVE/CLOAD and the SYSTEM command.
;
; The byte routines work on the tape signal (500 baud, port FFh), and are
; laid out so that the emulator's tape traps, written over 0237h, 0268h-
; 0278h, 0287h and 0298h, land on whole instructions and resume where the
; routine carries on with a whole byte (023Eh, 0279h, 0289h, 029Bh).
;
; Fixed entries for BASIC (jump table after 02B2h):
;   02B2h  SYSTEM            (never returns: READY or the loaded program)
;   02B5h  csave_program     A = name character
;   02B8h  cload_program     A = name character (0 = any), carry = verify
;
; The latch: the Video Genie reads it as bit 7 of port FFh (00h or 80h);
; the TRS-80 has no such port (it reads FFh) and shows the latch as bit 7
; of 37E4h. The reader looks at port FFh before every bit and picks the
; right place, so no machine flag is kept in RAM.
; ---------------------------------------------------------------------------

TRS_TAPE_LATCH  equ     37E4h
BREAK_ROW       equ     KBD_MATRIX + 40h ; row 6, bit 2 = BREAK
BREAK_BIT       equ     04h
MOTOR_BIT       equ     04h
STAR_LEFT       equ     VIDEO_RAM + 62  ; the progress stars, top right
STAR_RIGHT      equ     VIDEO_RAM + 63
TAPE_NAME_SHOWN equ     VIDEO_RAM + 60  ; name of the BASIC tape found

PART    defl    4
        include "fp_consts.asm"         ; constants, in the room up to 01F8h

; 01F8h  Cassette motor off (level 0). Changes AF.
        pad_to  01F8h
cassette_off:
        ld      a,(PORT_FF_COPY)
        and     0F8h
tape_port_out:
        ld      (PORT_FF_COPY),a
        out     (CASSETTE_PORT),a
        ret

; A = the port FFh byte for motor on, level 0 (32-column bit kept).
motor_level:
        ld      a,(PORT_FF_COPY)
        and     0F8h
        or      MOTOR_BIT
        ret

; Clears the cassette latch: any port FFh write with the motor bit does.
; Changes AF.
latch_clear:
        call    motor_level
        out     (CASSETTE_PORT),a
        ret

tape_zero:
        db      0                       ; OR-ed in place of 37E4h on the Genie

; 0212h  Select the cassette (A = 0; there is one) and start the motor.
; Interrupts go off: they would upset the pulse timing. Changes AF.
        pad_to  0212h
cassette_on:
        di
        call    motor_level
        jr      tape_port_out

; Toggles the right star: a block or line came in. Changes AF.
tape_blink:
        ld      a,(STAR_RIGHT)
        xor     '*' XOR ' '
        ld      (STAR_RIGHT),a
        ret

; 0235h  Read one byte from the cassette, most significant bit first.
; Returns A = the byte. Keeps BC, DE, HL.
        pad_to  0235h
cassette_read:
        push    bc
        push    hl
        ld      b,8                     ; 0237h: the read trap goes here
cr_bit:
        call    read_bit
        djnz    cr_bit
        if $ != 023Eh
        .error  the read trap resumes at 023Eh
        endif
        pop     hl                      ; 023Eh: the byte is in A
        pop     bc
        ret

; Find-sync tail (from 029Dh): show the stars, return A = A5h.
leader_found:
        ld      hl,'*' * 256 + '*'
        ld      (STAR_LEFT),hl
        pop     hl
        ret

; Leader loop of 0287h, continued: sync byte.
leader_sync:
        ld      a,0A5h
        jr      cassette_write

; BREAK while waiting for the tape: motor off, back to READY.
tape_break:
        call    cassette_off
        jp      ready_entry


; 0264h  Write the byte in A to the cassette: per bit a clock pulse, then
; a data pulse for 1 or 1 ms of silence for 0. Keeps every register.
; The exit at 0279h is a bare RET (trap 00 leaves through it with a byte in
; A): the registers come back in cw_restore, whose address cw_enter puts on
; the stack.
        pad_to  0264h
cassette_write:
        call    cw_enter
        ld      h,a
        ld      l,8                     ; 0268h: the write trap goes here
cw_bit:
        call    write_clock             ; 026Ah: the trap resumes here
        sla     h
        call    write_slot
        dec     l
        jr      nz,cw_bit
        ds      0279h - $, 0            ; NOPs, as the armed trap leaves them
        ret                             ; 0279h: to cw_restore

cw_restore:
        pop     af
        pop     bc
        pop     hl
        ret

; Saves HL, BC, AF under the address of cw_restore and goes on after the
; call. Changes HL (cw_restore brings it back).
cw_enter:
        ex      (sp),hl                 ; HL = where to go on, caller's HL saved
        push    bc
        push    af
        push    hl
        ld      hl,cw_restore
        ex      (sp),hl
jump_hl:                                ; also: calls to the address in HL
        jp      (hl)

; 0287h  Write the leader (255 zero bytes) and the sync byte A5h.
; Starts with LD B,0FFh, as the trap at 0287h expects. Returns A = A5h,
; B = 0.
        pad_to  0287h
cassette_leader_out:
        ld      b,0FFh
clo_next:
        xor     a                       ; 0289h: the trap resumes here
        call    cassette_write
        djnz    clo_next
        jr      leader_sync

; 0296h  Read the leader and wait for the sync byte A5h; shows the two
; stars at the top right. Returns A = A5h. Keeps BC, DE, HL.
        pad_to  0296h
cassette_leader_in:
        push    hl
        xor     a                       ; bits shift in from here
cli_next:
        call    read_bit                ; 0298h: the sync trap goes here
        if $ != 029Bh
        .error  the sync trap resumes at 029Bh
        endif
        cp      0A5h
        jr      z,leader_found
        ld      h,a                     ; BREAK ends the search
        call    break_held
        jr      nz,tape_break
        ld      a,h
        jr      cli_next

; 02B2h  The SYSTEM command, then the entries BASIC calls.
        pad_to  02B2h
system_command:
        jp      system_body
        jp      csave_program           ; 02B5h
        jp      cload_program           ; 02B8h

; ---------------------------------------------------------------------------
; Signal level.
; ---------------------------------------------------------------------------

; Reads one bit cell and shifts its bit into A from the right.
; Waits for the latch (the clock pulse), clears it, lets ~500 us pass,
; clears it again and watches ~850 us: a pulse there is a 1. Does not rely
; on the cells being exactly 2 ms apart. BREAK while waiting gives up.
; Returns A = A * 2 + bit. Keeps BC, DE, HL.
read_bit:
        push    bc
        push    de
        push    hl
        ld      e,a
        ld      c,CASSETTE_PORT
        in      a,(c)
        inc     a
        ld      hl,TRS_TAPE_LATCH       ; port reads FFh: a TRS-80
        ld      d,0
        jr      z,rb_wait
        ld      hl,tape_zero
        ld      d,80h
rb_wait:
        ld      a,(BREAK_ROW)
        and     BREAK_BIT
        jp      nz,tape_break
        in      a,(c)                   ; latch = bit 7 of (port AND D) OR (HL)
        and     d
        or      (hl)
        jp      p,rb_wait
        call    latch_clear
        ld      b,68                    ; 500 us: the clock pulse passes
        djnz    $
        call    latch_clear
        ld      b,33                    ; 850 us at 46 T-states a look
rb_watch:
        in      a,(c)
        and     d
        or      (hl)
        jp      m,rb_one
        djnz    rb_watch
        jr      rb_done                 ; carry clear: a 0
rb_one:
        ld      b,55                    ; 400 us: the data pulse passes
        djnz    $
        scf
rb_done:
        rl      e
        call    latch_clear
        ld      a,e
        pop     hl
        pop     de
        pop     bc
        ret

; One 1 ms pulse slot: with carry a pulse (about 125 us at level 1, 125 us
; at level 2, then 750 us at level 0), without carry 1 ms at level 0.
; write_clock always pulses. Changes AF.
write_clock:
        scf
write_slot:
        push    bc
        push    af
        call    motor_level
        ld      c,a                     ; C = level 0, motor on
        pop     af
        ld      a,c
        ld      b,34                    ; silence as long as both halves
        jr      nc,ws_wait
        inc     a
        out     (CASSETTE_PORT),a       ; level 1
        ld      b,16
        djnz    $
        inc     a
        out     (CASSETTE_PORT),a       ; level 2
        ld      b,16
ws_wait:
        djnz    $
        ld      a,c
        out     (CASSETTE_PORT),a       ; level 0
        ld      b,89                    ; the rest of the 1 ms slot (~750 us)
        djnz    $
        pop     bc
        ret

; ---------------------------------------------------------------------------
; CSAVE: leader, sync, D3h D3h D3h, the name character, then the program
; text from (40A4h) through its final 0000h link.
; Takes A = the name character. Changes AF, BC, DE, HL.
; ---------------------------------------------------------------------------
csave_program:
        push    af
        call    cassette_on             ; (ours needs no A = 0)
        call    cassette_leader_out
        ld      a,0D3h
        call    cassette_write
        call    cassette_write
        call    cassette_write
        pop     af
        call    cassette_write
        call    program_end
cs_byte:
        ld      a,(hl)
        call    cassette_write
        inc     hl
        rst     18h
        jr      nz,cs_byte
        jp      cassette_off

; Follows the links from the program start. Returns HL = the start, DE =
; the address past the final 0000h link (a link that does not lead
; forward ends the chain too). Keeps BC.
program_end:
        ld      hl,(PROGRAM_START)
        push    hl
pe_line:
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        inc     hl
        ld      a,d
        or      e
        jr      z,pe_done
        rst     18h                     ; carry when HL < DE: forward
        jr      nc,pe_done
        ex      de,hl
        jr      pe_line
pe_done:
        ex      de,hl
        pop     hl
        ret

; ---------------------------------------------------------------------------
; CLOAD and CLOAD?: finds the BASIC tape (D3h after the sync) with the
; name asked for, showing each name found at the top right, then reads the
; program line by line up to the 0000h link, blinking the star per line.
; It goes past the program in memory, which stays intact if the new one
; does not fit (?OM), and then moves down to (40A4h). The links are then
; recomputed (a tape made from a disk file carries links for another
; address) and 40F9h, 40FBh, 40FDh set to the end: no variables.
; Takes A = the name character, 0 for the first program; carry set to
; verify: the tape is compared with memory instead of stored, and "BAD"
; is shown at the first difference.
; Returns Z when the program was loaded or matched, NZ after "BAD".
; Changes AF, BC, DE, HL.
; ---------------------------------------------------------------------------
cload_program:
        ld      c,a
        sbc     a,a
        ld      b,a                     ; B = FFh when verifying
        call    cassette_on
cl_search:
        call    cassette_leader_in
        call    cassette_read
        cp      0D3h
        jr      nz,cl_search            ; not a BASIC tape
        call    cassette_read
        call    cassette_read
        call    cassette_read           ; the name
        ld      (TAPE_NAME_SHOWN),a
        ld      e,a
        ld      a,c
        or      a
        jr      z,cl_take
        cp      e
        jr      nz,cl_search
cl_take:
        call    cl_base
cl_line:
        call    tape_blink
        call    cl_link                 ; the link
        ld      e,a
        call    cl_link
        or      e
        jr      z,cl_end
        call    cl_byte                 ; the line number
        call    cl_byte
cl_text:
        call    cl_byte
        or      a
        jr      nz,cl_text
        jr      cl_line
cl_end:
        call    cassette_off
        inc     b
        ret     z                       ; verified (Z)

; Recomputes the links with BASIC's relink (which also sets the end of the
; program) and leaves no variables.
        call    cl_move
        xor     a
        ret

; One program byte: stored at HL, or compared when verifying; HL moves on.
; Verifying skips the links: they are recomputed after a load anyway, and
; a tape made from a disk file carries links for another address.
; Returns A = the byte.
cl_link:
        call    cassette_read
        inc     b
        dec     b
        jr      z,clb_store
        inc     hl
        ret
cl_byte:
        call    cassette_read
        inc     b
        dec     b
        jr      nz,clb_verify
clb_store:
        ld      (hl),a
        inc     hl
        jp      cl_room
clb_verify:
        cp      (hl)
        inc     hl
        ret     z
        pop     hl                      ; leave the load
        call    cassette_off
        call    fresh_line
        call    print_inline
        db      'BAD', CH_ENTER
        or      1                       ; NZ
        ret


PART    defl    3
        include "fp_consts.asm"         ; EXP's series, in the room up to 0400h

        pad_to  0400h
