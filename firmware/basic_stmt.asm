; ---------------------------------------------------------------------------
; BASIC: the statements that do not change the order of execution.
; Each takes HL at its token and returns HL at the end of the statement.
; ---------------------------------------------------------------------------

TOK_LET         equ     8Ch
INPUT_SP        equ     4146h

; Steps past the token and any blanks (the end of a statement without
; arguments).
next_end        equ     skip_sp_next

; LET var = expression, and the same without LET.
let_stmt:
        ld      a,(hl)
        cp      TOK_LET
        jr      nz,let_stmt_var
        inc     hl
; Assigns to a variable. Returns DE = the variable's value address.
let_stmt_var:
        call    get_var_addr
        push    de
        push    af
        ld      de,(ARRAY_VARS)
        push    de
        rst     08h
        db      TOK_EQ
        call    eval
        pop     bc                      ; where the arrays began
        pop     af                      ; the variable's type
        ex      (sp),hl                 ; HL = its address, the text kept
        push    bc                      ; convert to the variable's type:
        cp      T_STR                   ; numbers to numbers, ?TM between
        call    z,get_str               ; a number and a string
        call    nz,conv_acc
        pop     bc
        or      a                       ; new simple variables made by the
        sbc     hl,bc                   ; expression move the arrays up: an
        jr      c,lt_simple             ; element moves with them
        ld      bc,(ARRAY_VARS)
lt_simple:
        add     hl,bc
        ex      de,hl
        pop     hl
        push    de
        call    store_var
        pop     de
        ret

; Stores the accumulator in a variable of its type. Takes DE = the
; variable's value address. Keeps HL.
store_var:
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jp      z,store_string
        push    hl
        call    acc_addr
sv_copy:                                ; (A bytes from HL to DE, HL pushed)
        ld      c,a
        ld      b,0
        ldir
        pop     hl
        ret

; LLIST: LIST on the printer (READY sets the screen back).
llist_stmt:
        ld      a,1
        ld      (OUTPUT_DEVICE),a
        jp      list_stmt

; PRINT [@ pos,] items separated by ; and , (TAB( n) to a column)
print_stmt:
        inc     hl
pr_item:
        call    skip_sp
        call    at_stmt_end
        jr      z,pr_newline
        cp      ';'
        jr      z,pr_semicolon
        cp      ','
        jr      z,pr_comma
        cp      '@'
        jr      z,pr_at
        cp      TOK_TAB
        jr      z,pr_tab
        cp      TOK_USING
        jp      z,using_stmt
        call    eval
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jr      z,pr_string
        push    hl
        call    num_text
        call    print_text
        call    out_space
        pop     hl
        jr      pr_item
pr_string:
        call    print_string
        jr      pr_item
out_space:
        ld      a,' '
        jr      pr_out
pr_newline:
        ld      a,CH_ENTER
pr_out:
        jp      out_char
pr_comma:                               ; to the next 16-column zone
        call    out_space
        call    out_column
        and     0Fh
        jr      nz,pr_comma
pr_semicolon:
        call    next_end
        call    at_stmt_end
        ret     z                       ; no new line after a final ; or ,
        jr      pr_item
pr_at:
        inc     hl
        call    eval_int
        ld      a,d
        cp      HIGH VIDEO_SIZE
        jp      nc,fc_error
        add     a,HIGH VIDEO_RAM
        ld      d,a
        ld      (CURSOR),de
        ld      a,(hl)
        cp      ','
        jr      nz,pr_item
        inc     hl
        jr      pr_item
pr_tab:
        inc     hl
        call    eval_int
        rst     08h
        db      ')'
        ld      a,e
        and     LINE_WIDTH - 1
        ld      e,a
pr_tab_pad:
        call    out_column
        cp      e
        jr      nc,pr_item
        call    out_space
        jr      pr_tab_pad

; Z when A (the character at HL) ends a statement: 00h, ':' or ELSE.
at_stmt_end:
        or      a
        ret     z
        cp      ':'
        ret     z
        cp      TOK_ELSE
        ret     z
        cp      TOK_QUOTE_REM
        ret

; Shows the string in the accumulator and frees it. Keeps HL.
print_string:
        push    hl
        ld      de,(ACC)
        call    free_temp
        ex      de,hl
        ld      b,(hl)
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ld      a,b
        or      a
        jr      z,ps_done
ps_char:
        ld      a,(de)
        call    out_char
        inc     de
        djnz    ps_char
ps_done:
        pop     hl
        ret

; CLS
cls_stmt:
        call    clear_screen
        jp      next_end

; Reads "address, byte" for POKE and OUT. Returns BC = the first value,
; A = the byte; ?FC when it is not 0-255.
two_args:
        inc     hl
        call    eval_int
; Shared tail: DE = the first value; reads ", byte". Returns BC = the first
; value, DE = A = the byte; ?FC when it is not 0-255.
comma_byte:
        push    de
        rst     08h
        db      ','
        call    eval_int
        pop     bc
        jp      byte_de

; POKE address, byte (an address above 32767 either way: 40000 or -25536)
poke_stmt:
        inc     hl
        call    eval
        call    get_addr
        call    comma_byte
        ld      (bc),a
        ret

; OUT port, byte
out_stmt:
        call    two_args
        out     (c),a
        ret

; DEFSTR, DEFINT, DEFSNG, DEFDBL letter[-letter][, ...]: the type of the
; names without a type character that start with those letters.
def_types_stmt:
        ld      a,(hl)
        sub     98h                     ; C = the type: DEFSTR 3, then
        ld      c,T_STR                 ; DEFINT 2, DEFSNG 4, DEFDBL 8
        jr      z,dt_type
        ld      b,a
        ld      c,1
dt_double:
        sla     c
        djnz    dt_double
dt_type:
        inc     hl
dt_next:
        call    dt_letter
        ld      d,a
        ld      e,a
        ld      a,(hl)
        cp      TOK_MINUS
        jr      nz,dt_set
        inc     hl
        call    dt_letter
        ld      e,a
dt_set:
        ld      a,e
        sub     d
        jp      c,syntax_error
        inc     a
        ld      b,a
        push    hl
        ld      hl,DEF_TYPES
        ld      a,d
        add     a,l
        ld      l,a
dt_fill:
        ld      (hl),c
        inc     hl
        djnz    dt_fill
        pop     hl
        ld      a,(hl)
        cp      ','
        ret     nz
        inc     hl
        jr      dt_next
; A letter. Returns A = 0 for A ... 25 for Z, HL at what follows.
dt_letter:
        call    skip_sp
        sub     'A'
        cp      26
        jp      nc,syntax_error
        push    af
        call    next_end
        pop     af
        ret

; RANDOM: a new starting point for RND.
random_stmt:
        ld      a,r
        ld      (RND_SEED),a
        jp      next_end

; RESTORE: READ starts again with the first DATA.
restore_stmt:
        call    next_end
; Sets DATA_PTR before the first line. Keeps BC, DE, HL.
restore_data:
        push    hl
        ld      hl,(PROGRAM_START)
        dec     hl
        ld      (DATA_PTR),hl
        pop     hl
        ret

; DIM name(sizes)[, ...]
dim_stmt:
        inc     hl
dm_next:
        call    skip_sp
        call    get_name
        ld      a,(hl)
        cp      '('
        jp      nz,syntax_error
        call    subscripts
        push    hl
        call    find_array
        ld      e,ERR_DD
        jp      c,basic_error
        ld      a,(SUB_COUNT)
        ld      hl,SUB_BUF
        ld      de,DIM_BUF
dm_size:                                ; sizes are the highest subscripts + 1
        push    af
        ld      a,(hl)
        inc     hl
        add     a,1
        ld      (de),a
        inc     de
        ld      a,(hl)
        inc     hl
        adc     a,0
        jp      m,fc_error
        ld      (de),a
        inc     de
        pop     af
        dec     a
        jr      nz,dm_size
        call    new_array
        pop     hl
        ld      a,(hl)
        cp      ','
        ret     nz
        inc     hl
        jr      dm_next

; READ var[, var...]
read_stmt:
        inc     hl
rd_next:
        call    get_var_addr
        push    hl
        push    de
        push    af
        ld      hl,(DATA_PTR)
        ld      a,(hl)
        cp      ','
        jr      nz,rd_find
        inc     hl
        jr      rd_item
rd_find:
        call    find_data
rd_item:
        pop     af
        call    item_value
        jp      c,data_error
        ld      (DATA_PTR),hl
        pop     de
        call    store_var
        pop     hl
        ld      a,(hl)
        cp      ','
        ret     nz
        inc     hl
        jr      rd_next

; Finds the next DATA statement. Takes HL = a position in the program.
; Returns HL just past the DATA token. ?OD when there is none.
find_data:
        ld      a,(hl)
        or      a
        jr      z,fd_line
        inc     hl
        cp      TOK_DATA
        ret     z
        cp      '"'
        jr      nz,find_data
fd_quote:
        ld      a,(hl)
        or      a
        jr      z,fd_line
        inc     hl
        cp      '"'
        jr      nz,fd_quote
        jr      find_data
fd_line:
        inc     hl
        ld      a,(hl)
        inc     hl
        or      (hl)
        ld      e,ERR_OD
        jp      z,basic_error
        inc     hl
        inc     hl
        inc     hl
        jr      find_data

; Reads one item of DATA or of an INPUT line. Takes HL at it, A = the type
; wanted. Returns the value in the accumulator and HL at the character
; that ends it (',', ':', 00h or 0Dh); carry when a number was wanted
; and the item is not one.
item_value:
        push    af
        call    skip_sp
        pop     af
        cp      T_STR
        jr      z,iv_string
        push    af
        ld      a,(hl)                  ; a number must start like one
        cp      '.'
        jr      z,iv_number
        cp      '-'
        jr      z,iv_number
        cp      '+'
        jr      z,iv_number
        sub     '0'
        cp      10
        jr      c,iv_number
        pop     af
        scf
        ret
iv_number:
        call    parse_number
        pop     af
        call    conv_acc
        call    skip_sp
iv_end:
        cp      ','
        ret     z
        cp      ':'
        ret     z
        or      a
        ret     z
        cp      CH_ENTER
        ret     z
        scf
        ret
iv_string:
        ld      a,(hl)
        cp      '"'
        jr      nz,iv_plain
        inc     hl
        ld      d,h
        ld      e,l
        ld      b,0
iv_quoted:
        ld      a,(hl)
        cp      '"'
        jr      z,iv_closed
        or      a
        jr      z,iv_made
        cp      CH_ENTER
        jr      z,iv_made
        inc     hl
        inc     b
        jr      iv_quoted
iv_closed:
        inc     hl
iv_made:
        call    new_temp
        call    skip_sp
        jr      iv_end
iv_plain:
        ld      d,h
        ld      e,l
        ld      b,0
iv_plain_next:
        call    iv_end
        jr      nc,iv_plain_done
        inc     hl
        inc     b
        ld      a,(hl)
        jr      iv_plain_next
iv_plain_done:
        call    new_temp
        or      a
        ret

; INPUT ["prompt";] var[, var...]
input_stmt:
        ld      de,(CUR_LINE)
        ld      a,d
        and     e
        inc     a
        ld      e,ERR_ID
        jp      z,basic_error
        ld      (INPUT_SP),sp
        call    next_end
        cp      '"'
        jr      nz,in_vars
        call    str_literal
        call    print_string
        rst     08h
        db      ';'
in_vars:
        ld      (INPUT_VAR),hl
        ld      hl,msg_more + 1         ; "? "
in_line:
        call    print_text
        ld      hl,(INPUT_BUF_PTR)
        ld      b,LINE_MAX
        call    input_line
        jr      c,in_break
        ld      a,b
        or      a
        jr      z,in_empty
in_item:
        push    hl
        ld      hl,(INPUT_VAR)
        call    get_var_addr
        ld      (INPUT_VAR),hl
        pop     hl
        push    de
        call    item_value
        jr      c,in_redo
        pop     de
        call    store_var
        ld      c,(hl)                  ; what ended the item
        ld      (TEXT_SAVE),hl
        ld      hl,(INPUT_VAR)
        ld      a,(hl)
        cp      ','
        jr      nz,in_last
        inc     hl
        ld      (INPUT_VAR),hl
        ld      hl,(TEXT_SAVE)
        ld      a,c
        cp      ','
        jr      nz,in_more
        inc     hl
        jr      in_item
in_more:
        ld      hl,msg_more
        jr      in_line
in_last:
        ld      a,c
        cp      ','
        jr      nz,in_done
        call    print_inline
        db      '?EXTRA IGNORED', CH_ENTER
in_done:
        ld      hl,(INPUT_VAR)
        ret
in_empty:
        ld      hl,(INPUT_VAR)
        jp      skip_stmt
in_redo:
        ld      sp,(INPUT_SP)
        call    print_inline
        db      '?REDO', CH_ENTER
        ld      hl,(STMT_START)
        jp      input_stmt
in_break:
        ld      sp,(INPUT_SP)
        pop     de
        ld      hl,(STMT_START)
        call    skip_stmt
        ld      (CONT_PTR),hl
        jp      stopped

msg_more:
        db      '?? ', 0

; Reads "(x, y)" of the 128 x 48 block graphics. Returns DE = the
; character cell, C = the mask of the block in it. ?FC outside the screen.
graphics_xy:
        call    fn_open
        call    get_int
        call    byte_de
        cp      128
        jp      nc,fc_error
        call    comma_byte              ; BC = x (so B = 0), A = E = y
        cp      48
        jp      nc,fc_error
        rst     08h
        db      ')'
        ld      a,e                     ; B = y / 3, A = y mod 3
gx_row:
        cp      3
        jr      c,gx_rowdone
        sub     3
        inc     b
        jr      gx_row
gx_rowdone:
        add     a,a                     ; bit = 2 * (y mod 3) + (x and 1)
        srl     c                       ; C = x / 2
        adc     a,1                     ; 80h turned left bit + 1 times
        ld      e,a
        ld      a,80h
gx_shift:
        rlca
        dec     e
        jr      nz,gx_shift
        push    af
        ld      a,b                     ; cell = 3C00h + 64 * row + x / 2
        rrca
        rrca
        ld      d,a
        and     0C0h
        or      c
        ld      e,a
        ld      a,d
        and     03h
        add     a,HIGH VIDEO_RAM
        ld      d,a
        pop     af
        ld      c,a
        ret

; SET(x, y)
set_stmt:
        call    gx_cell
        or      c
        ld      (de),a
        ret

; RESET(x, y)
reset_stmt:
        call    gx_cell
        or      c
        xor     c
        ld      (de),a
        ret

; Reads "(x, y)" as graphics_xy does. Returns A = the character in the
; cell, or 80h (blank blocks) for a text character.
gx_cell:
        call    graphics_xy
        ld      a,(de)
        bit     7,a
        ret     nz
        ld      a,80h
        ret

; SYSTEM: the tape loader.
system_stmt     equ     system_command

; CSAVE "name": the program onto tape under the first character of the name.
csave_stmt:
        inc     hl
        call    tape_name
        or      a
        jp      z,fc_error              ; a tape needs a name
        push    hl
        call    csave_program
        pop     hl
        ret

; CLOAD ["name"]: a program from tape (the first one, or the first whose
; name starts with that character). CLOAD? ["name"] compares the tape with
; the program in memory instead. Either ends at READY; a mismatch or a bad
; tape has shown "BAD" already.
cload_stmt:
        call    next_end
        ld      b,0
        cp      '?'
        jr      z,cl_verify
        cp      TOK_PRINT               ; "?" was tokenised as PRINT
        jr      nz,cl_name
cl_verify:
        inc     b
        call    next_end
cl_name:
        ld      c,0
        or      a
        jr      z,cl_go
        cp      ':'
        jr      z,cl_go
        push    bc
        call    tape_name
        pop     bc
        ld      c,a
cl_go:
        ld      a,b
        rra                             ; carry: compare only
        ld      a,c
        call    cload_program
        jp      ready

; Evaluates a string (freed) and returns its first character, 0 for "".
tape_name:
        call    eval_str
        call    free_temp
; The first character of the string whose descriptor is DE, 0 for "".
; Keeps BC, HL.
name_char:
        ld      a,(de)
        or      a
        ret     z
        push    hl
        ex      de,hl
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ld      a,(de)
        ex      de,hl
        pop     hl
        ret
