; ---------------------------------------------------------------------------
; BASIC: ON ERROR and RESUME, ERROR, ERR, ERL, STRING$, VARPTR, AUTO,
; DELETE, the line editor (EDIT), and the CLOAD helpers that keep the old
; program until the new one has fully arrived.
; ---------------------------------------------------------------------------

TOK_NEXT        equ     87h
TOK_ERROR       equ     9Eh
TOK_VARPTR      equ     0C0h
ERR_RW          equ     24h
ERR_UE          equ     26h
ERROR_COUNT     equ     23              ; NF ... L3
EDIT_BUF        equ     INPUT_BUFFER
CH_ESCAPE       equ     1Bh             ; SHIFT + UP

        if EDIT_POS != EDIT_LEN + 1
        .error  ed_here reads the length and the cursor as one word
        endif

; --- Errors -----------------------------------------------------------------

; From basic_error, E = the code. Notes ERR and ERL; while a program runs
; with ON ERROR GOTO and is not in its handler already, goes to the
; handler with the stack as the statement in error found it. Otherwise
; returns, and the error is reported. Keeps DE.
error_trap:
        ld      a,e
        ld      (ERR_CODE),a
        ld      hl,(CUR_LINE)
        ld      (ERR_LINE),hl
        ld      a,h
        and     l
        inc     a
        jr      z,et_report             ; immediate mode
        ld      a,(ERR_FLAG)
        or      a
        jr      nz,et_report            ; an error in the handler
        ld      hl,(ERR_TRAP)
        ld      a,h
        or      l
        ret     z
        ld      (ERR_FLAG),a
        ld      de,(STMT_START)
        ld      (ERR_TEXT),de
        ex      de,hl
        ld      sp,(STMT_SP)
        push    hl                      ; goto_line drops a return address
        jp      goto_line
et_report:
        xor     a
        ld      (ERR_FLAG),a
        ret

; From clear_vars: no ON ERROR, no handler running.
clear_errors:
        call    restore_data
        ld      hl,0
        ld      (ERR_TRAP),hl
        jr      et_report

; ON ERROR GOTO line (0: off; inside the handler the error is then
; reported), or ON n GOTO/GOSUB.
on_error_stmt:
        push    hl
        rst     10h
        cp      TOK_ERROR
        jr      z,oe_error
        pop     hl
        jp      on_stmt
oe_error:
        pop     de
        rst     10h
        rst     08h
        db      TOK_GOTO
        call    line_number
        ld      (ERR_TRAP),de
        ld      a,d
        or      e
        ret     nz
        ld      a,(ERR_FLAG)
        or      a
        ret     z
        ld      hl,(ERR_LINE)
        ld      (CUR_LINE),hl
        ld      a,(ERR_CODE)
        ld      e,a
        jp      basic_error

; RESUME [0]: the statement in error again. RESUME NEXT: the one after.
; RESUME line.
resume_stmt:
        ld      a,(ERR_FLAG)
        or      a
        ld      e,ERR_RW
        jp      z,basic_error
        call    et_report               ; the handler ends
        rst     10h
        jr      nc,rs_here
        call    line_number
        ld      a,d
        or      e
        jp      nz,goto_line            ; Z for RESUME 0
rs_here:
        ld      de,(ERR_LINE)
        ld      (CUR_LINE),de
        ld      hl,(ERR_TEXT)
        jr      z,rs_again
        cp      TOK_NEXT
        jp      nz,syntax_error
        jp      skip_stmt               ; back to run_loop after it
rs_again:
        pop     de
        jp      exec_stmt

; ERROR n: raises error n; one this BASIC has no message for is ?UE.
error_stmt:
        inc     hl
        call    eval_int
        call    byte_de
        or      a
        jp      z,fc_error
        cp      ERROR_COUNT + 1
        jr      c,er_known
        ld      a,ERR_UE / 2 + 1
er_known:
        dec     a
        add     a,a
        ld      e,a
        jp      basic_error

; READ met an item of the wrong kind at HL: ?SN in the DATA line.
data_error:
        ex      de,hl
        ld      hl,(PROGRAM_START)
de_line:
        ld      c,l
        ld      b,h
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        rst     18h                     ; the next line starts before it?
        jr      c,de_line
        inc     bc                      ; its number
        inc     bc
        ld      a,(bc)
        ld      l,a
        inc     bc
        ld      a,(bc)
        ld      h,a
        ld      (CUR_LINE),hl
        jp      syntax_error

; --- Functions --------------------------------------------------------------

; ERL, ERR
fn_erl:
        ld      de,(ERR_LINE)
        jr      fe_set
fn_err:
        ld      a,(ERR_CODE)
        ld      e,a
        ld      d,0
fe_set:
        rst     10h
        jp      set_uint                ; ERL 65535 in immediate mode

; VARPTR(var): the address of its value (of a string's descriptor).
fn_varptr:
        rst     10h
        rst     08h
        db      '('
        call    get_var_addr
        rst     08h
        db      ')'
        jp      set_int

; STRING$(n, code) and STRING$(n, string): n times the character.
fn_string:
        rst     10h
        rst     08h
        db      '('
        call    eval_int
        call    byte_de
        push    af
        rst     08h
        db      ','
        call    eval
        rst     20h                     ; Z for a string
        jr      nz,fs_code
        ld      de,(ACC)
        call    free_temp
        ld      a,(de)
        or      a
        jp      z,fc_error
        call    name_char
        jr      fs_have
fs_code:
        call    get_int
        call    byte_de
fs_have:
        ld      c,a
        rst     08h
        db      ')'
        pop     af
        ld      b,a
        call    str_alloc
        push    de
        push    bc
        ld      a,b
        or      a
        jr      z,fs_made
fs_fill:
        ld      a,c
        ld      (de),a
        inc     de
        djnz    fs_fill
fs_made:
        pop     bc
        pop     de
        jp      new_temp

; --- AUTO and DELETE ---------------------------------------------------------

; AUTO [start][,step]: offers line numbers until BREAK or an empty line;
; '*' marks a number that has a line already.
auto_stmt:
        ld      de,10
        push    de
        rst     10h
        call    c,line_number
        ld      (AUTO_LINE),de
        pop     de
        cp      ','
        jr      nz,au_step
        call    next_line_number
au_step:
        ld      (AUTO_STEP),de
au_next:
        ld      hl,(AUTO_LINE)
        call    print_decimal
        ex      de,hl
        call    find_line
        ld      a,' '
        jr      nc,au_mark
        ld      a,'*'
au_mark:
        call    display_char
        ld      hl,EDIT_BUF
        ld      b,LINE_MAX - 6
        call    input_line
        jr      c,au_end
        call    tokenise
        call    skip_sp
        or      a
        jr      z,au_end
        ld      de,(AUTO_LINE)
        call    enter_line_de
        ld      hl,(AUTO_LINE)
        ld      de,(AUTO_STEP)
        add     hl,de
        jr      c,au_end
        ld      (AUTO_LINE),hl
        ld      de,65530
        rst     18h
        jr      c,au_next
au_end:
        jp      ready

; DELETE a, DELETE a-b, DELETE -b. ?FC when line a (or b alone) is missing.
delete_stmt:
        rst     10h
        cp      TOK_MINUS
        jr      z,dl_to
        call    line_number
        call    dl_find
        push    bc
        cp      TOK_MINUS
        jr      nz,dl_range
        call    next_line_number
        jr      dl_range
dl_to:
        call    next_line_number
        call    dl_find
        ld      bc,(PROGRAM_START)
        push    bc
dl_range:
        inc     de
        call    find_line               ; BC = past the last line
        pop     de                      ; the first line
        ld      h,b
        ld      l,c
        scf
        sbc     hl,de
        jp      c,fc_error              ; nothing in the range
        inc     hl
        ld      b,h
        ld      c,l
        ex      de,hl
        call    close_gap
        jp      new_end                 ; relink, no variables, READY
; BC = line DE; ?FC when there is none. Keeps A, DE, HL.
dl_find:
        push    hl
        push    af
        call    find_line
        jp      nc,fc_error
        pop     af
        pop     hl
        ret

; --- EDIT --------------------------------------------------------------------

; EDIT line: the line's text is worked on in the input buffer, then
; entered again (E, ENTER) or left as it was (Q).
edit_stmt:
        rst     10h
        jp      z,fc_error
        call    line_number
        ld      (EDIT_LINE),de
        call    find_line
        jp      nc,ul_error
        ld      a,CH_CURSOR_ON
        call    display_char
; The line's text as LIST shows it, into the buffer; then from its start.
ed_again:
        ld      de,(EDIT_LINE)
        call    find_line
        ld      hl,4
        add     hl,bc
        ld      de,EDIT_BUF
        ld      c,0                     ; bit 0: inside quotes
ed_text:
        ld      a,e
        sub     LOW EDIT_BUF
        cp      LINE_MAX
        jr      nc,ed_text_end          ; too long: cut
        ld      a,(hl)
        inc     hl
        cp      '"'
        jr      nz,ed_quote
        inc     c
ed_quote:
        bit     0,c
        jr      nz,ed_put
        cp      80h
        jr      c,ed_put
        push    hl
        push    bc
        call    token_text
ed_word:
        ld      a,(hl)
        and     7Fh
        ld      (de),a
        inc     de
        ld      a,(hl)
        inc     hl
        rla
        jr      nc,ed_word
        pop     bc
        pop     hl
        jr      ed_text
ed_put:
        ld      (de),a
        inc     de
        or      a
        jr      nz,ed_text
        dec     de
ed_text_end:
        ld      a,e
        sub     LOW EDIT_BUF
        ld      (EDIT_LEN),a
; The line number, the cursor at the start of the text.
ed_head:
        call    fresh_line
        ld      hl,(EDIT_LINE)
        call    print_decimal
        ld      a,' '
        call    display_char
        xor     a
        ld      (EDIT_POS),a
; Commands: an optional count, then a letter.
ed_command:
        xor     a
        ld      (EDIT_COUNT),a
ed_key:
        call    ed_getkey
        sub     '0'
        cp      10
        jr      nc,ed_letter
        ld      c,a
        ld      a,(EDIT_COUNT)
        ld      b,a
        add     a,a
        add     a,a
        add     a,b
        add     a,a
        add     a,c
        ld      (EDIT_COUNT),a
        jr      ed_key
ed_letter:
        add     a,'0'
        ld      hl,ed_commands
ed_find:
        cp      (hl)
        inc     hl
        jr      z,ed_found
        inc     hl
        inc     (hl)
        dec     (hl)
        jr      nz,ed_find
        jr      ed_key                  ; not a command
ed_found:
        ld      e,(hl)
        ld      d,0
        ld      hl,ed_base
        add     hl,de
        ld      de,ed_command
        push    de
        ld      a,(EDIT_COUNT)          ; B = the count, at least 1
        or      a
        jr      nz,ed_counted
        inc     a
ed_counted:
        ld      b,a
        jp      (hl)

; Each: the key, where its routine is from ed_base.
ed_commands:
        db      ' ', ed_right_n - ed_base
        db      CH_BACKSPACE, ed_left_n - ed_base
        db      'L', ed_list - ed_base
        db      'X', ed_extend - ed_base
        db      'I', ed_insert - ed_base
        db      'H', ed_hack - ed_base
        db      'D', ed_delete - ed_base
        db      'C', ed_change - ed_base
        db      'S', ed_search - ed_base
        db      'K', ed_kill - ed_base
        db      'A', ed_restore - ed_base
        db      'E', ed_save - ed_base
        db      'Q', ed_quit - ed_base
        db      CH_ENTER, ed_enter - ed_base
        db      0

; A key; SHIFT + UP gives CH_ESCAPE. Keeps BC, DE, HL.
ed_getkey:
        call    wait_key
        cp      CH_UP_ARROW
        ret     nz
        ld      a,(KBD_SHIFT_ROW)
        rra
        ld      a,CH_UP_ARROW
        ret     nc
        ld      a,CH_ESCAPE
        ret

; HL = the cursor's place in the buffer, A = the character there; C =
; the characters from there to the end, Z when none. Keeps B, DE.
ed_here:
        ld      hl,(EDIT_LEN)           ; L = the length, H = the cursor
        ld      a,l
        sub     h
        ld      c,a
        ld      a,h
        ld      hl,EDIT_BUF
        add     a,l
        ld      l,a
        jr      nc,eh_high
        inc     h
eh_high:
        ld      a,(hl)
        inc     c
        dec     c
        ret

; One place right, showing the character passed. Z at the end. Keeps B, DE.
ed_right:
        call    ed_here
        ret     z
        call    display_char
        ld      hl,EDIT_POS
        inc     (hl)
        ret

ed_base:
ed_right_n:
        call    ed_right
        djnz    ed_right_n
        ret

ed_left_n:
        call    ed_left
        djnz    ed_left_n
        ret

; One place left, the screen too. Z (nothing done) at the start.
ed_left:
        ld      hl,EDIT_POS
        ld      a,(hl)
        or      a
        ret     z
        dec     (hl)
        ld      a,CH_BACKSPACE
        call    display_char
        or      h                       ; NZ (HL is EDIT_POS)
        ret

; The rest of the line shown, the cursor at its end.
ed_rest:
        call    ed_right
        jr      nz,ed_rest
        ret

ed_list:
        call    ed_rest
        pop     de
        jp      ed_head

ed_restore:
        pop     de
        jp      ed_again

ed_enter:
        call    ed_rest
ed_save:
        ld      a,(EDIT_LEN)
        ld      (EDIT_POS),a
        call    ed_here
        ld      (hl),CH_ENTER
        call    new_line
        ld      hl,EDIT_BUF
        call    tokenise
        call    skip_sp
        ld      de,(EDIT_LINE)
        call    enter_line_de
ed_quit:
        jp      ready

ed_hack:
        ld      a,(EDIT_POS)
        ld      (EDIT_LEN),a
        jr      ed_insert
ed_extend:
        call    ed_rest
; Inserts what is typed until SHIFT + UP (back to commands) or ENTER
; (the line is saved). LEFT rubs out the character before the cursor.
ed_insert:
        call    ed_getkey
        cp      CH_ESCAPE
        ret     z
        cp      CH_ENTER
        jr      z,ed_enter
        cp      CH_BACKSPACE
        jr      z,ed_rubout
        cp      ' '
        jr      c,ed_insert
        ld      e,a
        ld      a,(EDIT_LEN)
        cp      LINE_MAX
        jr      nc,ed_insert            ; full
        call    ed_here
        ld      a,e
        ld      b,0                     ; the rest and the character before
        add     hl,bc                   ; the cursor move up one place (that
        ld      d,h                     ; one is written over)
        ld      e,l
        dec     hl
        inc     c
        lddr
        inc     de
        ld      (de),a
        ld      hl,EDIT_LEN
        inc     (hl)
        call    ed_right
        jr      ed_insert
ed_rubout:
        call    ed_left
        call    nz,ed_cut
        jr      ed_insert

; Removes the character at the cursor; returns it in A, Z when there was
; none. Keeps B, DE.
ed_cut:
        call    ed_here
        ret     z
        push    af
        push    bc
        push    de
        ld      d,h                     ; the rest and the byte after it
        ld      e,l                     ; move down one place
        inc     hl
        ld      b,0
        ldir
        ld      hl,EDIT_LEN
        dec     (hl)
        pop     de
        pop     bc
        pop     af
        or      a                       ; NZ (a character is never 00h)
        ret

; nD: deletes n characters, shown between '!'.
ed_delete:
        call    ed_bang
ed_del_next:
        call    ed_cut
        jr      z,ed_bang
        call    display_char
        djnz    ed_del_next
ed_bang:
        ld      a,'!'
        jp      display_char

; nC: the next n characters are replaced by those typed.
ed_change:
        call    ed_here
        ret     z
        call    ed_getkey
        cp      ' '
        ret     c
        ld      (hl),a
        call    ed_right
        djnz    ed_change
        ret

; nS c: the cursor moves on to the n-th c after it.
ed_search:
        call    ed_getkey
        ld      e,a
es_step:
        call    ed_right
        ret     z
        call    ed_here
        ret     z
        cp      e
        jr      nz,es_step
        djnz    es_step
        ret

; nK c: deletes up to the n-th c after the cursor, shown between '!'.
ed_kill:
        call    ed_getkey
        ld      e,a
        call    ed_bang
ek_step:
        call    ed_cut
        jr      z,ed_bang
        call    display_char
        call    ed_here
        jr      z,ed_bang
        cp      e
        jr      nz,ek_step
        djnz    ek_step
        jr      ed_bang

        if ed_kill - ed_base > 255
        .error  an editor command is out of reach of its table
        endif

; --- CLOAD --------------------------------------------------------------------

; Where CLOAD puts the program: past the one in memory, which stays until
; the new one is complete (CLOAD? compares with the program itself).
; Keeps BC, DE.
cl_base:
        ld      hl,(PROGRAM_START)
        inc     b
        dec     b
        ret     nz
        call    clear_vars              ; the variables are overwritten
        ld      hl,(SIMPLE_VARS)
        ret

; After each byte stored (HL past it): ?OM before the stack is reached;
; the old program is still intact. Keeps everything.
cl_room:
        push    af
        push    de
        push    hl
        ex      de,hl
        ld      hl,-STACK_ROOM
        add     hl,sp
        rst     18h
        pop     hl
        pop     de
        jr      c,cr_full
        pop     af
        ret
cr_full:
        call    cassette_off
        jp      om_error

; The new program (up to HL) moves down over the old one; then the links
; and the end of the program are recomputed and the variables cleared
; (as after entering a line). Returns HL = the end of the program.
cl_move:
        ld      de,(SIMPLE_VARS)
        or      a
        sbc     hl,de
        ld      b,h
        ld      c,l
        ex      de,hl
        ld      de,(PROGRAM_START)
        ldir
        jp      en_done
