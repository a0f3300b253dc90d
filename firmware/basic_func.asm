; ---------------------------------------------------------------------------
; BASIC: functions, and strings: temporary descriptors, the string space
; and its garbage collection.
; ---------------------------------------------------------------------------

ERR_LS          equ     1Ch

; A function in an expression. Takes HL at its token, A = the token.
eval_function:
        sub     TOK_VARPTR
        cp      TOK_THEN - TOK_VARPTR
        jr      c,ef_index
        sub     TOK_SGN - TOK_THEN      ; THEN to < are no functions
        cp      TOK_THEN - TOK_VARPTR
        jp      c,syntax_error
        cp      TOK_CVI - TOK_SGN + TOK_THEN - TOK_VARPTR
        jr      c,ef_index
        sub     TOK_CINT - TOK_CVI      ; nor disk BASIC's CVI to MKD$
        cp      TOK_CVI - TOK_SGN + TOK_THEN - TOK_VARPTR
        jp      c,syntax_error
ef_index:
        ld      de,function_table
        jp      table_jump

; Reads "(expression)" after a function's token. Returns the value in the
; accumulator, HL past ')'.
fn_arg:
        call    fn_open
        rst     08h
        db      ')'
        ret

; Reads "(expression" after a token, the same way.
fn_open:
        call    next_end
        rst     08h
        db      '('
        jp      eval

; The same for a number. Returns DE = it. CINT(n) is this.
fn_cint:
fn_arg_int:
        call    fn_arg
        jp      get_int

; The same for a string, its temporary descriptor given back. Returns DE =
; the descriptor.
fn_arg_str:
        call    fn_arg
        call    get_str
        jp      free_temp

; SGN(n): -1, 0 or 1
fn_sgn:
        call    fn_arg
        call    acc_is_zero             ; A = 0 when zero
        ld      e,a
        ld      d,a
        jr      z,fs_set
        ld      a,(VALUE_TYPE)
        cp      T_INT
        ld      a,(ACC + 1)
        jr      z,fs_sign
        ld      a,(ACC + 2)
fs_sign:
        rla                             ; DE = 1 or -1 by the sign
        sbc     a,a
        ld      d,a
        or      1
        ld      e,a
fs_set:
        jp      set_int

; 1E5Ah  The decimal digits at HL (after blanks) as an integer in DE.
; Returns HL at the next non-blank after them, A = it, flags as RST 10h.
; ?SN above 65535.
        pad_to  1E5Ah
digits_to_de:
        dec     hl
        rst     10h
        call    parse_uint
        jp      c,syntax_error
        dec     hl
        rst     10h
        ret

; INT(n): the whole number not above n; FIX(n): n without its fraction.
; Both keep the type.
fn_int:
        ld      de,fp_floor
        jr      fn_whole
fn_fix:
        ld      de,fp_trunc
fn_whole:
        push    de
        call    fn_arg
        pop     de
        ld      a,(VALUE_TYPE)
        cp      T_INT
        ret     z
        push    hl
        push    de
        call    set_prec
        call    acc_to_fa
        pop     hl
        call    jp_hl
        ld      a,(VALUE_TYPE)
        call    fa_to_acc
        pop     hl
        ret

; Returns A = E; ?FC when D is not 0. Keeps BC, DE, HL.
byte_de:
        ld      a,d
        or      a
        jp      nz,fc_error
        ld      a,e
        ret

; ABS(n)
fn_abs:
        call    fn_arg
        ld      a,(VALUE_TYPE)
        cp      T_INT
        jr      nz,fa_float
        ld      a,(ACC + 1)
        or      a
        ret     p
        jp      negate_acc
fa_float:
        cp      T_STR
        jp      z,tm_error
        ld      a,(ACC + 2)
        and     7Fh
        ld      (ACC + 2),a
        ret

; CSNG(n), CDBL(n) (CINT is fn_arg_int)
fn_csng:
        ld      a,T_SNG
        jr      fn_convert
fn_cdbl:
        ld      a,T_DBL
fn_convert:
        push    af
        call    fn_arg
        pop     af
        jp      conv_acc

; FRE(string): free bytes of string space; FRE(number): as MEM.
fn_fre:
        call    fn_arg
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jr      nz,fn_mem_value
        ld      de,(ACC)
        call    free_temp
        push    hl
        call    collect_garbage
        ld      hl,(STR_FREE)
        ld      de,(STRING_SPACE)
        jr      fn_free
; MEM: free bytes between the arrays and the string space, the stack
; included.
fn_mem:
        call    next_end
fn_mem_value:
        push    hl
        ld      hl,(STRING_SPACE)
        ld      de,(FREE_MEMORY)
fn_free:
        or      a
        sbc     hl,de

        ex      de,hl
        pop     hl
        jp      set_uint

; INP(port)
fn_inp:
        call    fn_arg_int
        ld      c,e
        in      a,(c)
        jr      fn_byte

; POS(x): the cursor's column
fn_pos:
        call    fn_arg
        ld      a,(CURSOR)
        and     LINE_WIDTH - 1
        jr      fn_byte

; PEEK(address): above 32767 either way, as with POKE
fn_peek:
        call    fn_arg
        call    get_addr
        ld      a,(de)
        jr      fn_byte

; POINT(x, y): -1 when the block is set, else 0
fn_point:
        call    graphics_xy
        ld      a,(de)
        ld      de,0
        bit     7,a
        jr      z,pt_value
        and     c
        jr      z,pt_value
        dec     de
pt_value:
        jp      set_int

; USR(n): calls the routine at USR_ADDR; it takes n through 0A7Fh and
; gives its result through 0A9Ah.
fn_usr:
        call    fn_arg_int
        push    hl
        ld      hl,(USR_ADDR)
        call    jp_hl
        pop     hl
        ret

; CHR$(n)
fn_chr:
        call    fn_arg_int
        call    byte_de
        ld      b,1
        jr      one_char_str

; INKEY$: the key pressed since the last look, or "".
fn_inkey:
        call    next_end
        call    kbd_scan
        ld      b,0
        or      a
        jr      z,one_char_str
        ld      (LAST_KEY),a
        inc     b
; Makes a string of B (0 or 1) characters A. Keeps HL.
one_char_str:
        push    af
        ld      a,b
        call    str_alloc
        pop     af
        inc     b
        dec     b
        jr      z,oc_made
        ld      (de),a
oc_made:
        jp      new_temp

; LEN(string)
fn_len:
        call    fn_arg_str
        ld      a,(de)
fn_byte:
        ld      e,a
        ld      d,0
        jp      set_int

; ASC(string): the code of its first character; ?FC for ""
fn_asc:
        call    fn_arg_str
        ld      a,(de)
        or      a
        jp      z,fc_error
        call    name_char
        jr      fn_byte

; STR$(n): the number as PRINT shows it, without the trailing blank
fn_str:
        call    fn_arg
        push    hl
        call    num_text                ; HL = text, B = length
        ld      a,b
        call    str_alloc
        push    de
        push    bc
        ld      c,b
        ld      b,0
        ldir
        pop     bc
        pop     de
        pop     hl
        jp      new_temp

; VAL(string): the number at its start, 0 when there is none
fn_val:
        call    fn_arg_str
        push    hl
        ex      de,hl
        ld      a,(hl)
        cp      NUM_LEN
        jr      c,fv_short
        ld      a,NUM_LEN - 1
fv_short:
        ld      c,a
        ld      b,0
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ex      de,hl
        ld      de,NUM_BUF
        call    cps_copy
        xor     a
        ld      (de),a
        ld      hl,NUM_BUF
        call    parse_number
        pop     hl
        ret

; Reads "(string, n" of LEFT$, RIGHT$ and MID$. Returns BC = the string's
; descriptor, E = n (1-255 for MID$, 0-255 else), HL at what follows n.
str_and_n:
        call    fn_open
        call    get_str
        jp      comma_byte

; LEFT$(string, n), RIGHT$(string, n)
fn_left:
        or      a                       ; no carry: from the start
        jr      fl_both
fn_right:
        scf
fl_both:
        push    af
        call    str_and_n
        rst     08h
        db      ')'
        ld      a,(bc)
        cp      e
        jr      nc,fl_count
        ld      e,a                     ; count: n, at most the length
fl_count:
        pop     af
        ld      d,0
        jr      nc,substring
        ld      a,(bc)                  ; RIGHT$: the last ones
        sub     e
        ld      d,a
        jr      substring

; MID$(string, position[, n])
fn_mid:
        call    str_and_n
        ld      a,e
        or      a
        jp      z,fc_error
        dec     a
        ld      d,a                     ; D = offset
        ld      e,255
        ld      a,(hl)
        cp      ','
        jr      nz,fm_all
        push    de
        push    bc
        inc     hl
        call    eval_int
        pop     bc
        call    byte_de
        pop     de
        ld      e,a
fm_all:
        rst     08h
        db      ')'
        ld      a,(bc)                  ; the length
        sub     d
        jr      nc,fm_inside
        xor     a                       ; starts beyond the end
fm_inside:
        cp      e
        jr      nc,substring
        ld      e,a
; Makes a new string of E characters from offset D of the string whose
; descriptor is BC. Keeps HL.
substring:
        push    hl
        push    de
        ld      a,e
        call    str_alloc               ; may move strings: addresses after
        ld      h,b
        ld      l,c
        ex      de,hl
        call    free_temp
        ex      de,hl                   ; HL = the descriptor, DE = the new
        pop     bc                      ; B = offset, C = count
        push    de
        push    bc
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        ld      c,b
        ld      b,0
        add     hl,bc
        pop     bc
        push    bc
        ld      b,0
        call    cps_copy
        pop     bc                      ; C = count
        pop     de                      ; the new string
        ld      b,c
        pop     hl
        jr      new_temp

; ---------------------------------------------------------------------------
; String values.
; ---------------------------------------------------------------------------

; A string in quotes: its characters stay where they are. Takes HL at '"'.
str_literal:
        inc     hl
        ld      d,h
        ld      e,l
        ld      b,0
sl_next:
        ld      a,(hl)
        or      a
        jr      z,sl_end
        inc     hl
        cp      '"'
        jr      z,sl_end
        inc     b
        jr      sl_next
sl_end:
        call    new_temp
        jp      skip_sp

; Takes a temporary descriptor for a string and makes it the accumulator.
; Takes B = length, DE = address. ?ST when all ten are in use. Keeps BC,
; DE, HL.
new_temp:
        push    hl
        ld      hl,(TMP_PTR)
        ld      a,l
        cp      LOW TMP_END
        jr      nz,nt_free
        ld      e,ERR_ST
        jp      basic_error
nt_free:
        ld      (ACC),hl
        ld      (hl),b
        inc     hl
        ld      (hl),e
        inc     hl
        ld      (hl),d
        inc     hl
        ld      (TMP_PTR),hl
        ld      a,T_STR
        ld      (VALUE_TYPE),a
        pop     hl
        ret

; Gives back a temporary descriptor when it is the last one taken.
; Takes DE = a descriptor. Keeps BC, DE, HL.
free_temp:
        push    hl
        ld      hl,(TMP_PTR)
        dec     hl
        dec     hl
        dec     hl
        rst     18h
        jr      nz,ft_keep
        ld      (TMP_PTR),hl
ft_keep:
        pop     hl
        ret

; Room for a string. Takes A = its length. Returns DE = its address in
; the string space; collects the garbage when full, ?OS when still full.
; Keeps BC, HL.
str_alloc:
        push    hl
        push    bc
        ld      c,a
        ld      b,0
        call    sa_try
        jr      nc,sa_done
        push    bc
        call    collect_garbage
        pop     bc
        call    sa_try
        jr      nc,sa_done
        ld      e,ERR_OS
        jp      basic_error
sa_done:
        pop     bc
        pop     hl
        ret
sa_try:                                 ; (the space may end at FFFFh)
        ld      hl,(STR_FREE)
        ld      de,(STRING_SPACE)
        or      a
        sbc     hl,de                   ; bytes free
        or      a
        sbc     hl,bc
        ret     c
        ld      hl,(STR_FREE)
        sbc     hl,bc
        ld      (STR_FREE),hl
        ex      de,hl
        or      a
        ret

; Assigns the string in the accumulator to a string variable. Takes DE =
; the variable's descriptor. A fresh temporary string is taken over as it
; is; a variable's string and typed text are copied. Keeps HL.
store_string:
        push    hl
        push    de
        ld      hl,(ACC)
        ld      a,h
        cp      HIGH TMP_POOL
        jr      nz,sst_copy
        push    hl
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ld      hl,PROGRAM_TEXT - 1
        rst     18h                     ; carry: in the program or string space
        pop     hl
        jr      nc,sst_copy
        pop     de
        push    de
        ld      bc,3
        ldir
        jr      sst_free
sst_copy:
        ld      hl,(ACC)
        ld      a,(hl)
        call    str_alloc
        ld      hl,(ACC)
        push    de
        call    copy_string
        pop     bc                      ; the new address
        pop     hl                      ; the variable
        push    hl
        ld      (hl),a                  ; the length
        inc     hl
        ld      (hl),c
        inc     hl
        ld      (hl),b
sst_free:
        ld      de,(ACC)
        call    free_temp
        pop     de
        pop     hl
        ret

; string + string (ARG + ACC). ?LS beyond 255 characters.
str_concat:
        push    hl
        ld      hl,(ARG)
        ld      a,(hl)
        ld      hl,(ACC)
        add     a,(hl)
        ld      e,ERR_LS
        jp      c,basic_error
        push    af
        call    str_alloc
        push    de
        ld      hl,(ARG)
        call    copy_string
        ld      hl,(ACC)
        call    copy_string
        call    free_both
        pop     de
        pop     af
        ld      b,a
        pop     hl
        jp      new_temp

; Copies a string. Takes HL = its descriptor, DE = where. Returns DE past
; the copy, A = its length.
copy_string:
        ld      c,(hl)
        ld      b,0
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
; Copies C bytes (B = 0) from HL to DE, none for C = 0. Returns A = C.
cps_copy:
        ld      a,c
        or      a
        ret     z
        ldir
        ret

; Compares the strings ARG and ACC. Returns A = 1 (ARG first), 2 (equal)
; or 4 (ARG after). Keeps HL.
cmp_str:
        push    hl
        ld      hl,(ARG)
        ld      b,(hl)
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        ld      hl,(ACC)
        ld      c,(hl)
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
cs_next:
        ld      a,b
        or      a
        jr      z,cs_first_ended
        ld      a,c
        or      a
        jr      z,cs_after
        ld      a,(de)
        cp      (hl)
        jr      c,cs_before
        jr      nz,cs_after
        inc     de
        inc     hl
        dec     b
        dec     c
        jr      cs_next
cs_first_ended:
        ld      a,c
        or      a
        ld      a,2
        jr      z,cs_done
cs_before:
        ld      a,1
        jr      cs_done
cs_after:
        ld      a,4
cs_done:
        push    af
        call    free_both
        pop     af
        pop     hl
        ret

; Frees the temporary descriptors of ACC and ARG, in that order.
free_both:
        ld      de,(ACC)
        call    free_temp
        ld      de,(ARG)
        jp      free_temp

; ---------------------------------------------------------------------------
; Garbage collection: the strings still in use move to the top of the
; string space, the highest first, and their descriptors follow them.
; In use: string variables, string array elements, temporary descriptors.
; Keeps nothing.
; ---------------------------------------------------------------------------
collect_garbage:
        ld      hl,(MEMORY_TOP)
        ld      (GC_LIMIT),hl           ; the highest address still to look at
        inc     hl
        ld      (GC_DEST),hl
gc_pass:
        ld      hl,0
        ld      (GC_BEST),hl
        ld      (GC_MAX),hl
        ld      hl,(SIMPLE_VARS)        ; simple variables
gc_simple:
        ld      de,(ARRAY_VARS)
        rst     18h
        jr      nc,gc_arrays
        ld      a,(hl)
        ld      e,a
        ld      d,0
        inc     hl
        inc     hl
        inc     hl
        cp      T_STR
        call    z,gc_check
        add     hl,de
        jr      gc_simple
gc_arrays:                              ; HL = ARRAY_VARS
        ld      de,(FREE_MEMORY)
        rst     18h
        jr      nc,gc_temps
        ld      a,(hl)
        inc     hl
        inc     hl
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        inc     hl
        push    hl
        add     hl,de
        ex      (sp),hl                 ; the next array kept
        cp      T_STR
        jr      nz,gc_next_array
        ld      a,(hl)                  ; past the sizes
        add     a,a
        inc     a
        ld      e,a
        ld      d,0
        add     hl,de
        pop     de
        push    de
        call    gc_range
gc_next_array:
        pop     hl
        jr      gc_arrays
gc_temps:
        ld      hl,TMP_POOL
        ld      de,(TMP_PTR)
        call    gc_range
gc_move:
        ld      hl,(GC_BEST)
        ld      a,h
        or      l
        jr      z,gc_done
        ld      c,(hl)                  ; move the highest string up
        ld      b,0                     ; (never empty)
        push    hl
        ld      hl,(GC_MAX)
        dec     hl
        ld      (GC_LIMIT),hl
        add     hl,bc                   ; its last byte
        ld      de,(GC_DEST)
        dec     de
        lddr
        inc     de                      ; DE = where it starts now
        ld      (GC_DEST),de
        pop     hl
        inc     hl
        ld      (hl),e
        inc     hl
        ld      (hl),d
        jr      gc_pass
gc_done:
        ld      hl,(GC_DEST)
        ld      (STR_FREE),hl
        ret

; Checks the descriptors from HL up to DE. Keeps DE.
gc_range:
        rst     18h
        ret     nc
        call    gc_check
        inc     hl
        inc     hl
        inc     hl
        jr      gc_range

; One descriptor: is it the highest string below GC_LIMIT so far?
; Takes HL = the descriptor. Keeps BC, DE, HL.
gc_check:
        push    de
        push    hl
        ld      a,(hl)
        or      a
        jr      z,gk_no                 ; empty: nothing to keep
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a                     ; HL = the string
        ld      de,(STRING_SPACE)
        rst     18h
        jr      c,gk_no                 ; not in the string space
        ex      de,hl
        ld      hl,(GC_LIMIT)
        rst     18h
        ex      de,hl
        jr      c,gk_no                 ; moved already
        ld      de,(GC_MAX)
        rst     18h
        jr      c,gk_no
        ld      (GC_MAX),hl
        pop     hl
        push    hl
        ld      (GC_BEST),hl
gk_no:
        pop     hl
        pop     de
        ret
