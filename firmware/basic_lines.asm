; ---------------------------------------------------------------------------
; BASIC: tokenising, the program lines, LIST, and running: the statement
; loop, BREAK, and the statements that change the order of execution.
;
; The text pointer is HL throughout: it points at the character being
; looked at. Statement routines start with HL at their token and return
; with HL at the end of the statement (':', 00h or ELSE).
; ---------------------------------------------------------------------------

; Skips blanks. Takes HL = text. Returns HL at the first non-blank, A = it.
; Keeps BC, DE. skip_sp_next starts one character on.
skip_sp_next:
        inc     hl
skip_sp:
        ld      a,(hl)
        cp      ' '
        ret     nz
        jr      skip_sp_next

; Reads an unsigned decimal number. Takes HL = text. Returns DE = the
; value, HL past the digits; carry when it is above 65535. Keeps BC.
parse_uint:
        ld      de,0
pu_next:
        ld      a,(hl)
        sub     '0'
        cp      10
        ret     nc                      ; not a digit: done, no carry
        push    hl
        ld      h,d
        ld      l,e
        add     hl,hl
        jr      c,pu_over
        add     hl,hl
        jr      c,pu_over
        add     hl,de
        jr      c,pu_over
        add     hl,hl
        jr      c,pu_over
        ld      e,a
        ld      d,0
        add     hl,de
        jr      c,pu_over
        ex      de,hl
        pop     hl
        inc     hl
        jr      pu_next
pu_over:
        pop     hl
        scf
        ret

; Reads a line number. Takes HL = text at a digit. Returns DE = the number,
; HL at the next non-blank. ?SN when it has no digits or passes 65529.
; Keeps BC. next_line_number does an RST 10h first.
next_line_number:
        rst     10h
line_number:
        ld      a,(hl)
        sub     '0'
        cp      10
        jp      nc,syntax_error
        call    parse_uint
        jp      c,syntax_error
        push    hl
        ld      hl,65529
        rst     18h
        pop     hl
        jp      c,syntax_error
        jr      skip_sp

; ---------------------------------------------------------------------------
; Tokenising. Takes HL = a typed line ending with 0Dh. Rewrites it in place
; (it never grows): lower-case letters become capitals outside quotes,
; keywords become their tokens (the longest keyword that matches); text in
; quotes, after REM or ' and in DATA statements stays as typed. The line
; ends with 00h.
; Keeps HL.
; ---------------------------------------------------------------------------
tokenise:
        push    hl
        ld      c,0                     ; capitals first, outside quotes
tu_next:
        ld      a,(hl)
        cp      CH_ENTER
        jr      z,tu_done
        cp      '"'
        jr      nz,tu_letter
        inc     c
tu_letter:
        bit     0,c
        jr      nz,tu_step
        sub     'a'
        cp      'z' - 'a' + 1
        jr      nc,tu_step
        res     5,(hl)                  ; a capital
tu_step:
        inc     hl
        jr      tu_next
tu_done:
        pop     hl
        push    hl
        ld      d,h
        ld      e,l
        ld      c,0                     ; C = 1 inside DATA
tk_next:
        ld      a,(hl)
        cp      CH_ENTER
        jr      z,tk_done
        cp      '"'
        jr      z,tk_quote
        bit     0,c
        jr      nz,tk_data
        cp      '?'
        jr      nz,tk_match
        ld      a,TOK_PRINT
        jr      tk_put
tk_match:
        cp      '9' + 1                 ; digits, blanks and most signs
        jr      nc,tk_word              ; start no keyword
        cp      '0'
        jr      nc,tk_copy
        cp      27h                     ; ' and * + - /
        jr      c,tk_copy
        cp      28h
        jr      z,tk_copy
tk_word:
        call    kw_match
        jr      nc,tk_copy
tk_skip:                                ; skip the keyword's letters
        inc     hl
        djnz    tk_skip
        ld      (de),a
        inc     de
        cp      TOK_DATA
        jr      nz,tk_rem
        ld      c,1
tk_rem:                                 ; the rest of the line as typed:
        cp      TOK_REM                 ; B = 0 from the DJNZ, a mark that
        jr      z,tk_scan_at            ; typed text never holds
        cp      TOK_QUOTE_REM
        jr      nz,tk_next
        jr      tk_scan_at
tk_data:
        cp      ':'
        jr      nz,tk_copy
        ld      c,0
tk_copy:
        ld      a,(hl)
tk_put:
        ld      (de),a
        inc     de
        inc     hl
        jr      tk_next
tk_quote:                               ; copy up to the closing quote
        ld      b,a
; Copies up to the end of the line or the mark in B, then goes on there.
tk_scan:
        ld      (de),a
        inc     de
        inc     hl
tk_scan_at:
        ld      a,(hl)
        cp      CH_ENTER
        jr      z,tk_done
        cp      b
        jr      nz,tk_scan
        jr      tk_copy
tk_done:
        xor     a
        ld      (de),a
        pop     hl
        ret

; Finds the longest keyword at HL. Returns carry, A = its token and B = its
; length when there is one, else no carry; C = 0. Keeps DE, HL.
kw_match:
        push    de
        push    hl
        xor     a
        ld      (KW_LEN),a
        ld      de,keyword_table
        ld      b,80h                   ; B = the token of the keyword at DE
km_word:
        ld      a,(de)
        or      a
        jr      z,km_done
        pop     hl
        push    hl
        ld      c,0                     ; C = the letters matched
km_char:
        ld      a,(de)
        and     7Fh
        cp      (hl)
        jr      nz,km_fail
        inc     hl
        inc     c
        ld      a,(de)
        inc     de
        rla
        jr      nc,km_char
        ld      a,(KW_LEN)              ; a whole keyword: the longest wins
        cp      c
        jr      nc,km_next
        ld      (KW_LEN),bc             ; the length, then its token
        jr      km_next
km_fail:
        ld      a,(de)
        inc     de
        rla
        jr      nc,km_fail
km_next:
        inc     b
        jr      km_word
km_done:
        pop     hl
        pop     de
        ld      bc,(KW_LEN)             ; C = the length, B = the token
        ld      a,b
        ld      b,c
        ld      c,0                     ; tokenise's DATA flag is off here
        inc     b
        dec     b
        ret     z                       ; (no carry from the OR above)
        scf
        ret

; ---------------------------------------------------------------------------
; Program lines.
; ---------------------------------------------------------------------------

; Finds a line. Takes DE = its number. Returns BC = the address of the
; first line whose number is DE or more (or of the end link); carry when
; its number is DE. Keeps DE.
find_line:
        ld      hl,(PROGRAM_START)
fl_next:
        ld      c,l
        ld      b,h
        ld      a,(hl)
        inc     hl
        or      (hl)
        ret     z                       ; the end: no carry
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        rst     18h
        jr      nc,fl_here
        ld      a,(bc)                  ; on along the link
        ld      l,a
        inc     bc
        ld      a,(bc)
        ld      h,a
        jr      fl_next
fl_here:
        scf
        ret     z
        ccf
        ret

; Enters a typed line into the program. Takes HL = the tokenised line at
; its number. An empty text deletes the line. Clears the variables.
enter_line:
        call    line_number             ; DE = number, HL = text
; The same with DE = the number, HL = the tokenised text (AUTO, EDIT).
enter_line_de:
        push    hl
        call    clear_vars              ; the variables may move: drop them
        call    find_line
        jr      nc,en_insert
        push    de
        ld      l,c                     ; delete the old line
        ld      h,b
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ex      de,hl
        or      a
        sbc     hl,bc
        push    bc
        ld      b,h
        ld      c,l
        pop     hl
        call    close_gap
        ld      c,l
        ld      b,h
        pop     de
        scf                             ; carry: the line was there
en_insert:
        pop     hl
        inc     (hl)                    ; Z for an empty text, carry kept
        dec     (hl)
        jr      nz,en_text
        jr      c,en_done               ; only a number: deleted
        jp      ul_error                ; no such line to delete
en_text:
        push    hl
        push    de
        xor     a                       ; length of the text with its 00h
        push    bc
        ld      bc,5
en_len:
        cp      (hl)
        inc     hl
        jr      z,en_len_done
        inc     bc
        jr      en_len
en_len_done:
        pop     hl                      ; where the line goes
        call    make_room
        ld      (hl),h                  ; any link but 0000h: relink fixes it
        inc     hl
        ld      (hl),h
        inc     hl
        pop     de
        ld      (hl),e
        inc     hl
        ld      (hl),d
        inc     hl
        ex      de,hl
        pop     hl
en_copy:
        ld      a,(hl)
        ld      (de),a
        inc     hl
        inc     de
        or      a
        jr      nz,en_copy
en_done:
        call    relink
        jr      clear_vars

; Recomputes every line link and the end of the program (SIMPLE_VARS).
relink:
        ld      hl,(PROGRAM_START)
rl_line:
        ld      e,l
        ld      d,h
        ld      a,(hl)
        inc     hl
        or      (hl)
        inc     hl
        jr      z,rl_end
        inc     hl
        inc     hl
        xor     a
rl_scan:
        cp      (hl)
        inc     hl
        jr      nz,rl_scan
        ex      de,hl
        ld      (hl),e
        inc     hl
        ld      (hl),d
        ex      de,hl
        jr      rl_line
rl_end:
        ld      (SIMPLE_VARS),hl
        ret

; Opens a gap. Takes HL = where, BC = its size: the bytes from HL to the
; end of the arrays move up, FREE_MEMORY grows. ?OM when the stack would
; come too close. Keeps BC, HL.
make_room:
        push    bc
        push    hl                      ; where
        ex      de,hl
        ld      hl,(FREE_MEMORY)
        push    hl                      ; old end
        add     hl,bc
        jp      c,om_error
        push    hl                      ; new end
        ld      bc,STACK_ROOM
        add     hl,bc
        jp      c,om_error
        scf
        sbc     hl,sp                   ; no borrow: the stack is below it
        jp      nc,om_error
        pop     hl
        ld      (FREE_MEMORY),hl
        dec     hl
        ex      (sp),hl                 ; HL = old end; new end - 1 kept
        push    hl
        or      a
        sbc     hl,de
        ld      b,h
        ld      c,l                     ; bytes to move
        pop     hl
        dec     hl
        pop     de
        ld      a,b
        or      c
        jr      z,mr_done
        lddr
mr_done:
        pop     hl
        pop     bc
        ret

; Closes a gap. Takes HL = where, BC = its size: the bytes above it up to
; the end of the arrays move down, FREE_MEMORY shrinks. Keeps HL.
close_gap:
        push    hl
        ex      de,hl                   ; DE = where
        ld      hl,(FREE_MEMORY)
        or      a
        sbc     hl,bc
        ld      (FREE_MEMORY),hl
        push    de
        sbc     hl,de                   ; bytes to move (no carry left)
        ex      (sp),hl                 ; HL = where, count on the stack
        push    hl
        add     hl,bc                   ; source
        pop     de
        pop     bc
        ld      a,b
        or      c
        jr      z,cg_done
        ldir
cg_done:
        pop     hl
        ret

; Forgets the variables, the strings, DATA, CONT and ON ERROR (RUN, CLEAR,
; NEW, and any change to the program). Keeps BC, DE, HL.
clear_vars:
        push    hl
        ld      hl,(SIMPLE_VARS)
        ld      (ARRAY_VARS),hl
        ld      (FREE_MEMORY),hl
        ld      hl,(MEMORY_TOP)
        inc     hl
        ld      (STR_FREE),hl
        ld      hl,TMP_POOL
        ld      (TMP_PTR),hl
        ld      hl,0
        ld      (CONT_PTR),hl
        call    clear_errors            ; and DATA
        push    bc
        ld      hl,DEF_TYPES            ; names are single precision again
        ld      b,26
cv_type:
        ld      (hl),T_SNG
        inc     hl
        djnz    cv_type
        pop     bc
        pop     hl
        ret

; ---------------------------------------------------------------------------
; The statement loop.
; ---------------------------------------------------------------------------

; Back here after every statement, HL at its end. Checks BREAK, goes on
; with the next statement or the next line.
run_loop:
        call    break_held
        jp      nz,break_key
        ld      a,(hl)
        cp      ':'
        jr      z,rl_colon
        or      a
        jr      z,rl_eol
        cp      TOK_ELSE
        jr      z,rl_skip
        cp      TOK_QUOTE_REM
        jp      nz,syntax_error
rl_skip:
        call    skip_line
rl_eol:
        ld      de,(CUR_LINE)
        ld      a,d
        and     e
        inc     a
        jp      z,ready                 ; an immediate line is done
        inc     hl
; Runs the line at HL (its link); the end of the program goes to READY.
; GOTO, GOSUB, IF ... THEN line and RUN come here without passing run_loop,
; so BREAK is checked here too: a program looping through line jumps alone
; must stop as well.
run_at_line:
        ld      a,(hl)
        inc     hl
        or      (hl)
        jp      z,ready_keep            ; the end of the program
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ld      (CUR_LINE),de
        call    break_held
        jp      nz,ral_break
        ld      a,(TRACE_FLAG)
        or      a
        call    nz,trace_line
rl_colon:
        inc     hl
; Runs the statement at HL.
exec_stmt:
        ld      de,TMP_POOL
        ld      (TMP_PTR),de
        call    skip_sp
        or      a
        jr      z,run_loop
        cp      ':'
        jr      z,run_loop
        ld      (STMT_START),hl
        ld      (STMT_SP),sp            ; for ON ERROR
        ld      de,run_loop
        push    de
        sub     80h
        jp      c,let_stmt              ; no token (let_stmt reads (HL) again)
        cp      TOK_QUOTE_REM - 80h
        jr      z,skip_line
        cp      TOK_NEW + 1 - 80h
        jp      nc,syntax_error
        cp      TOK_OPEN - 80h
        jr      c,es_index
        sub     TOK_SYSTEM - TOK_OPEN   ; OPEN to SAVE are disk BASIC's
        cp      TOK_OPEN - 80h
        jp      c,syntax_error
es_index:
        ld      de,stmt_table
; Jumps to the routine of entry A in the table at DE, with HL kept for it.
table_jump:
        add     a,a
        push    hl
        ld      l,a
        ld      h,0
        add     hl,de
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        ex      (sp),hl
        ret

; TRON shows each line number as the line starts: <10>. Takes DE = the
; number. Keeps BC, DE, HL.
trace_line:
        ld      a,'<'
        call    display_char
        ex      de,hl
        call    print_decimal
        ex      de,hl
        ld      a,'>'
        jp      display_char

; TRON and TROFF
tron_stmt:
        ld      a,1
        jr      trace_set
troff_stmt:
        xor     a
trace_set:
        ld      (TRACE_FLAG),a
        jp      skip_sp_next

; Moves HL to the 00h that ends the line (quotes respected).
; REM, ' and ELSE met while running: the rest of the line is skipped.
skip_line:
rem_stmt:
        call    skip_stmt
        or      a
        ret     z
        inc     hl                      ; past a ':'
        jr      skip_line

; Moves HL to the end of the statement: ':' or 00h outside quotes.
; DATA met while running: skipped.
skip_stmt:
data_stmt:
        ld      a,(hl)
        or      a
        ret     z
        cp      ':'
        ret     z
        inc     hl
        cp      '"'
        jr      nz,skip_stmt
ss_quote:
        ld      a,(hl)
        or      a
        ret     z
        inc     hl
        cp      '"'
        jr      nz,ss_quote
        jr      skip_stmt

; BREAK at the start of a line (HL at its number's high byte): CONT goes
; on from the 00h before the line's link, which ends the previous line (at
; the first line, the guard byte at 42E8h).
ral_break:
        ld      bc,-4
        add     hl,bc
; BREAK pressed while running (HL at a statement's end): "BREAK IN line".
break_key:
        ld      (CONT_PTR),hl
; STOP and BREAK: show BREAK (IN line), keep the stack for CONT.
stopped:
        ld      (CONT_SP),sp
        ld      de,(CUR_LINE)
        ld      (CONT_LINE),de
        call    fresh_line
        call    print_inline
        db      'BREAK', 0
        ld      a,d
        and     e
        inc     a
        jp      z,report_end            ; immediate mode: nothing to continue
        jp      report_in_line

; STOP
stop_stmt:
        pop     de
        rst     10h
        jr      break_key

; END (READY resets the stack)
end_stmt        equ     ready_keep

; CONT: on after STOP or BREAK; ?CN when there is nothing to continue.
cont_stmt:
        ld      hl,(CONT_PTR)
        ld      a,h
        or      l
        ld      e,ERR_CN
        jp      z,basic_error
        ld      sp,(CONT_SP)
        ld      de,(CONT_LINE)
        ld      (CUR_LINE),de
        ld      de,0
        ld      (CONT_PTR),de
        jp      run_loop

; NEW
new_stmt:
        ld      hl,(PROGRAM_START)
        xor     a
        ld      (hl),a
        inc     hl
        ld      (hl),a
new_end:                                ; also the end of DELETE
        call    en_done                 ; the end, no variables
        jp      ready

; RUN [line]
run_stmt:
        call    clear_vars
        rst     10h
        ld      sp,(STRING_SPACE)
        push    hl                      ; as a statement's return: dropped
        jr      c,goto_number
        pop     de
        ld      hl,(PROGRAM_START)
        jp      run_at_line

; CLEAR [n]: forgets the variables; n sets the size of the string space.
clear_stmt:
        rst     10h
        jr      z,cl_done
        call    eval_int
        push    hl
        ld      hl,(MEMORY_TOP)
        or      a
        sbc     hl,de
        jp      c,om_error
        inc     hl                      ; new start of the string space
        ex      de,hl
        ld      hl,(SIMPLE_VARS)
        ld      bc,STACK_ROOM + 64
        add     hl,bc
        rst     18h
        jp      nc,om_error
        ld      (STRING_SPACE),de
        pop     hl
cl_done:
        call    clear_vars
        ld      sp,(STRING_SPACE)       ; the statement's return goes too
        jp      run_loop

; GOTO line
goto_stmt:
        rst     10h
; Jumps to the line whose number is at HL (the statement's return address
; on the stack is dropped).
goto_number:
        call    line_number
; Jumps to line DE.
goto_line:
        call    find_line
        jp      nc,ul_error
        pop     de
gl_run:
        ld      l,c
        ld      h,b
        jp      run_at_line

; GOSUB line
gosub_stmt:
        call    next_line_number
; Calls line DE; the RETURN comes back to HL.
gosub_line:
        push    hl
        call    find_line
        pop     hl
        jp      nc,ul_error
        call    check_stack
        pop     af                      ; the statement's return
        push    hl                      ; frame: text, line, marker
        ld      hl,(CUR_LINE)
        push    hl
        ld      a,TOK_GOSUB
        push    af
        jr      gl_run

; ?OM when fewer than STACK_ROOM bytes are left for the stack. Keeps BC,
; DE, HL.
check_stack:
        push    hl
        push    de
        ld      hl,(FREE_MEMORY)
        ld      de,STACK_ROOM
        add     hl,de
        scf
        sbc     hl,sp                   ; no borrow: the stack is below it
        jp      nc,om_error
        pop     de
        pop     hl
        ret

; RETURN: back after the last GOSUB; FOR loops opened since are dropped.
return_stmt:
        pop     de
rt_frame:
        ld      hl,0
        add     hl,sp
        ld      de,(STRING_SPACE)
        rst     18h
        ld      e,ERR_RG
        jp      nc,basic_error
        pop     af
        cp      TOK_GOSUB
        jr      z,rt_found
        ld      hl,FOR_FRAME - 2        ; a FOR frame: drop it
        add     hl,sp
        ld      sp,hl
        jr      rt_frame
rt_found:
        pop     de
        ld      (CUR_LINE),de
        pop     hl
        jp      run_loop

; IF condition THEN statements|line [ELSE statements|line]
if_stmt:
        inc     hl
        call    eval
        jr      if_test

; 0E6Ch  The decimal text at HL as a number in the accumulator (its type
; in 40AFh); HL past it.
        pad_to  0E6Ch
        jp      parse_number

if_test:
        call    acc_is_zero
        push    af
        ld      a,(hl)
        cp      TOK_GOTO
        jr      z,if_then
        rst     08h
        db      TOK_THEN
        dec     hl                      ; keep HL at the text after THEN
if_then:
        pop     af
        jr      z,if_false
        call    skip_sp_next
if_branch:
        cp      '0'
        jr      c,if_stmt_go
        cp      '9' + 1
        jp      c,goto_number
if_stmt_go:
        pop     de
        jp      exec_stmt
if_false:                               ; look for this IF's ELSE
        ld      c,0                     ; C = IFs nested inside
if_scan:
        ld      a,(hl)
        or      a
        ret     z
        inc     hl
        cp      '"'
        jr      z,if_quote
        cp      TOK_IF
        jr      nz,if_else
        inc     c
        jr      if_scan
if_else:
        cp      TOK_ELSE
        jr      nz,if_scan
        dec     c
        jp      p,if_scan
        call    skip_sp
        jr      if_branch
if_quote:
        ld      a,(hl)
        or      a
        ret     z
        inc     hl
        cp      '"'
        jr      nz,if_quote
        jr      if_scan

; ON n GOTO|GOSUB line, line, ...: the n-th line; none when n is 0 or
; beyond the list.
on_stmt:
        inc     hl
        call    eval_int
        bit     7,d
        jp      nz,fc_error
        ld      a,(hl)
        ld      b,a
        cp      TOK_GOTO
        jr      z,on_list
        cp      TOK_GOSUB
        jp      nz,syntax_error
on_list:
        push    bc                      ; B = GOTO or GOSUB
        ld      b,d
        ld      c,e
        inc     hl
on_next:
        call    skip_sp
        call    line_number
        dec     bc                      ; 0: never reached
        ld      a,b
        or      c
        jr      z,on_found
        ld      a,(hl)
        cp      ','
        jr      nz,on_none
        inc     hl
        jr      on_next
on_found:
        call    skip_stmt
        pop     af
        cp      TOK_GOTO
        jp      z,goto_line
        jp      gosub_line
on_none:
        pop     bc
        ret

; FOR var = start TO limit [STEP step]. The loop's frame on the stack:
; the type and FOR, the variable's address, the limit and the step (8
; bytes each, laid out as in the accumulator), the line, the text.
FOR_FRAME       equ     24
for_stmt:
        inc     hl
        call    let_stmt_var
        ld      (FOR_VAR),de
        ld      a,(VALUE_TYPE)          ; the loop counts with a number
        cp      T_STR
        jp      z,tm_error
        ld      (FOR_TYPE),a
        rst     08h
        db      TOK_TO
        call    eval
        ld      a,(FOR_TYPE)
        call    conv_acc
        call    push_value
        ld      a,(hl)
        cp      TOK_STEP
        jr      nz,for_one
        inc     hl
        call    eval
        jr      for_step
for_one:
        ld      de,1
        call    set_int
for_step:
        ld      a,(FOR_TYPE)
        call    conv_acc
        call    pop_arg                 ; ARG = the limit, ACC = the step
        ld      (TEXT_SAVE),hl
        pop     bc                      ; the statement's return
        ld      de,(FOR_VAR)
        call    find_for                ; a loop on the same variable ends
        jr      nc,for_push
        ld      bc,FOR_FRAME
        add     hl,bc
        ld      sp,hl
for_push:
        call    check_stack
        ld      hl,(TEXT_SAVE)
        push    hl
        ld      hl,(CUR_LINE)
        push    hl
        ld      hl,ACC + 2
        call    push_8
        ld      hl,ARG + 2
        call    push_8
        ld      hl,(FOR_VAR)
        push    hl
        ld      a,(FOR_TYPE)
        ld      l,a
        ld      h,TOK_FOR
        push    hl
        ld      hl,(TEXT_SAVE)
        jp      run_loop

; Pushes the 8 bytes that end with the word at HL. Changes DE, HL.
push_8:
        pop     ix
        ld      b,4
p8_word:
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        dec     hl
        dec     hl
        dec     hl
        push    de
        djnz    p8_word
        jp      (ix)

; Finds a FOR frame on the stack (above the caller's return address).
; Takes DE = the variable's address, 0 for the innermost loop. Returns
; carry and HL = the frame when found; a GOSUB frame stops the search.
; Keeps DE.
find_for:
        ld      hl,2
        add     hl,sp
ff_frame:
        push    de
        ld      de,(STRING_SPACE)
        rst     18h
        pop     de
        ret     nc                      ; the bottom: not found
        inc     hl
        ld      a,(hl)
        dec     hl
        cp      TOK_FOR
        jr      nz,ff_none
        ld      a,d
        or      e
        scf
        ret     z
        push    hl
        inc     hl
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        rst     18h
        pop     hl
        scf
        ret     z
        ld      bc,FOR_FRAME
        add     hl,bc
        jr      ff_frame
ff_none:
        or      a
        ret

; HL = -HL. Keeps BC, DE.
negate_hl:
        xor     a
        sub     l
        ld      l,a
        sbc     a,a
        sub     h
        ld      h,a
        ret

; With a string in ACC: ?TM unless ARG is one too. Keeps BC, DE, HL.
same_types:
        ld      a,(ARG_TYPE)
        cp      T_STR
        jp      nz,tm_error
        ret

; 0FAFh  Displays HL as a decimal number at the cursor.
        pad_to  0FAFh
        jp      print_decimal

; Sets the accumulator to the integer in DE. Keeps BC, DE, HL.
set_int:
        ld      (ACC),de
        ld      a,T_INT
        ld      (VALUE_TYPE),a
        ret

; 0FBDh  The number in the accumulator (type in 40AFh) as text; returns HL
; at it, ended by 00h.
        pad_to  0FBDh
        jp      num_text

; NEXT [var[,var...]]
next_stmt:
        pop     bc
        inc     hl
nx_var:
        call    skip_sp
        ld      de,0
        or      a
        jr      z,nx_find
        cp      ':'
        jr      z,nx_find
        cp      TOK_ELSE
        jr      z,nx_find
        call    get_var_addr
nx_find:
        ld      (TEXT_SAVE),hl
        call    find_for
        jp      nc,nx_nf
        ld      sp,hl                   ; inner loops end
        push    hl
        pop     ix
        ld      a,(ix + 0)              ; ACC = the variable
        ld      (VALUE_TYPE),a
        ld      (ARG_TYPE),a
        call    acc_addr
        ex      de,hl
        ld      l,(ix + 2)
        ld      h,(ix + 3)
        push    hl
        ld      c,a
        ld      b,0
        ldir
        ld      de,12                   ; ARG = the step
        call    nx_arg
        ld      c,0
        call    arith
        ld      a,(ix + 0)
        call    conv_acc
        pop     de
        call    store_var
        ld      de,4                    ; compared with the limit
        call    nx_arg
        call    num_cmp
        ld      c,(ix + 17)             ; the step's sign
        ld      b,a
        ld      a,(ix + 0)
        cp      T_INT
        jr      z,nx_sign
        ld      c,(ix + 18)
nx_sign:
        ld      a,b
        bit     7,c
        jr      z,nx_up
        cp      4                       ; counting down: done below the limit
        jr      nx_test
nx_up:
        cp      1
nx_test:
        jr      z,nx_done
        ld      l,(ix + 20)             ; go round again
        ld      h,(ix + 21)
        ld      (CUR_LINE),hl
        ld      l,(ix + 22)
        ld      h,(ix + 23)
        jp      run_loop
nx_done:
        ld      de,FOR_FRAME
        add     ix,de
        ld      sp,ix
        ld      hl,(TEXT_SAVE)
        ld      a,(hl)
        cp      ','
        jp      nz,run_loop
        inc     hl
        jp      nx_var
; ARG = the 8 bytes at DE in the frame.
nx_arg:
        push    ix
        pop     hl
        add     hl,de
        ld      de,ARG_DBL
        ld      bc,8
        ldir
        ret
nx_nf:
        ld      e,ERR_NF
        jp      basic_error

; Shows the lines of the program. LIST [from][-[to]]
list_stmt:
        rst     10h
        ld      de,0
        ld      bc,65535
        jr      z,ls_go
        cp      TOK_MINUS
        jr      z,ls_dash
        call    line_number
        cp      TOK_MINUS
        jr      z,ls_dash               ; BC is still 65535
        ld      b,d
        ld      c,e
        jr      ls_go
ls_dash:
        rst     10h
        jr      z,ls_go
        push    de
        call    line_number
        ld      b,d
        ld      c,e
        pop     de
ls_go:
        push    bc
        call    find_line               ; BC = the first line to show
        ld      l,c
        ld      h,b
        pop     bc                      ; BC = the last number
ls_line:
        ld      a,(hl)
        inc     hl
        or      (hl)
        jr      z,ls_end
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        inc     hl
        ld      a,c                     ; past the last one?
        sub     e
        ld      a,b
        sbc     a,d
        jr      c,ls_end
        call    break_held
        jr      nz,ls_end               ; BREAK stops the listing
        ex      de,hl
        call    print_decimal
        ex      de,hl
        ld      a,' '
        call    out_char
        call    list_text
        ld      a,CH_ENTER
        call    out_char
        inc     hl
        jr      ls_line
ls_end:
        jp      ready                   ; which resets the stack

; Shows the text of a line with its tokens spelt out. Takes HL = the text.
; Returns HL at its 00h. Keeps BC.
list_text:
        ld      d,0                     ; D bit 0: inside quotes
lt_next:
        ld      a,(hl)
        or      a
        ret     z
        cp      '"'
        jr      nz,lt_char
        inc     d                       ; bit 0 flips at each quote
lt_char:
        bit     0,d
        jr      nz,lt_show
        cp      80h
        jr      c,lt_show
        push    hl
        push    bc
        call    token_text
lt_word:
        ld      a,(hl)
        and     7Fh
        call    out_char
        ld      a,(hl)
        inc     hl
        rla
        jr      nc,lt_word
        pop     bc
        pop     hl
        jr      lt_step
lt_show:
        call    out_char
lt_step:
        inc     hl
        jr      lt_next

; The keyword of a token. Takes A = the token. Returns HL = its text in
; keyword_table (the last letter has bit 7 set). Keeps DE.
token_text:
        ld      hl,keyword_table
        sub     80h
        ret     z
        ld      b,a
tt_skip:
        ld      a,(hl)
        inc     hl
        rla
        jr      nc,tt_skip
        djnz    tt_skip
        ret

