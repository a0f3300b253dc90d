; ---------------------------------------------------------------------------
; BASIC: expressions and variables.
;
; A value lives in the accumulator ACC with its type in VALUE_TYPE:
; integer (2): ACC-ACC+1 holds it; single (4): ACC-ACC+3; double (8):
; ACC-4 to ACC+3; string (3): ACC holds the address of its descriptor
; (length, address). Binary operations keep the left operand in ARG/ARG_TYPE
; laid out the same way (fp_value.asm does the arithmetic).
; Every eval routine takes HL = text and returns HL at the first
; non-blank it did not use; DE, BC and A change.
; ---------------------------------------------------------------------------

; Saves the accumulator on the stack (a double, whatever the type, and the
; type). Keeps HL.
push_value:
        pop     ix
        ld      de,(ACC_DBL)
        push    de
        ld      de,(ACC_DBL + 2)
        push    de
        ld      de,(ACC)
        push    de
        ld      de,(ACC + 2)
        push    de
        ld      a,(VALUE_TYPE)
        push    af
        jp      (ix)

; Takes the saved accumulator back as ARG. Keeps HL.
pop_arg:
        pop     ix
        pop     af
        ld      (ARG_TYPE),a
        pop     de
        ld      (ARG + 2),de
        pop     de
        ld      (ARG),de
        pop     de
        ld      (ARG_DBL + 2),de
        pop     de
        ld      (ARG_DBL),de
        jp      (ix)

; Returns DE = the accumulator as an integer, made one (rounded down) if
; it is a single or double; ?OV beyond -32768..32767, ?TM for a string.
; Keeps BC, HL.
get_int:
        xor     a
gi_convert:
        ld      e,a
        ld      a,(VALUE_TYPE)
        cp      T_INT
        jr      z,gi_int
        cp      T_STR
        jp      z,tm_error
        push    hl
        push    bc
        push    de
        call    set_prec
        call    acc_to_fa
        pop     de
        ld      a,e
        call    fa_to_int
        pop     bc
        pop     hl
        jp      set_int
gi_int:
        ld      de,(ACC)
        ret

; Evaluates an integer expression. Returns DE = its value.
eval_int:
        call    eval
        jr      get_int

; Evaluates an expression that must be a string. Returns DE = its
; descriptor.
eval_str:
        call    eval
get_str:
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jp      nz,tm_error
        ld      de,(ACC)
        ret

; An expression. Most are one operand alone (A, 5, "X"): that operand is
; read first, and only when an operator follows do the levels take over,
; each carrying on with what it has as its left operand.
eval:
        call    skip_sp
        cp      TOK_NOT
        jr      z,eval_levels
        call    eval_unary
        ld      a,(hl)
        cp      TOK_PLUS                ; + - * / ^ AND OR > = <
        ret     c
        cp      TOK_LT + 1
        ret     nc
        call    em_next
        call    ead_next
        call    er_next
        call    ea_and
        jr      ev_or
eval_levels:
        call    eval_and
; OR, the lowest priority
ev_or:
        ld      a,(hl)
        cp      TOK_OR
        ret     nz
        inc     hl
        call    get_int
        push    de
        call    eval_and
        call    get_int
        pop     bc
        ld      a,e
        or      c
        ld      e,a
        ld      a,d
        or      b
        ld      d,a
        call    set_int
        jr      ev_or

eval_and:
        call    eval_not
ea_and:
        ld      a,(hl)
        cp      TOK_AND
        ret     nz
        inc     hl
        call    get_int
        push    de
        call    eval_not
        call    get_int
        pop     bc
        ld      a,e
        and     c
        ld      e,a
        ld      a,d
        and     b
        ld      d,a
        call    set_int
        jr      ea_and

eval_not:
        call    skip_sp
        cp      TOK_NOT
        jr      nz,eval_rel
        inc     hl
        call    eval_not
        call    get_int
        ld      a,e
        cpl
        ld      e,a
        ld      a,d
        cpl
        ld      d,a
        jp      set_int

; comparisons: -1 when true, 0 when false
eval_rel:
        call    eval_add
er_next:
        ld      b,0                     ; bit 0 <, bit 1 =, bit 2 >
er_op:
        ld      a,(hl)
        sub     TOK_GT                  ; > = < are in a row
        cp      3
        jr      nc,er_done
        inc     a
        ld      c,8
er_shift:
        srl     c
        dec     a
        jr      nz,er_shift
        ld      a,b
        or      c
        ld      b,a
        call    next_end
        jr      er_op
er_done:
        ld      a,b
        or      a
        ret     z
        push    bc
        call    push_value
        call    eval_add
        call    pop_arg
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jr      z,er_str
        push    hl
        call    num_cmp
        pop     hl
er_result:
        pop     bc
        and     b
        add     a,0FFh                  ; carry when true
        sbc     a,a
        ld      e,a
        ld      d,a
        call    set_int
        jr      er_next
er_str:
        call    same_types
        call    cmp_str
        jr      er_result

; Compares two signed integers. Takes DE = the first, HL = the second.
; Returns A = 1 when first < second, 2 when equal, 4 when first > second.
; Keeps BC, DE, HL.
cmp_int:
        ld      a,d
        xor     h
        jp      p,ci_same_sign
        ld      a,d                     ; signs differ: the negative is less
        rla
        jr      ci_diff
ci_same_sign:                           ; same signs: compare as unsigned
        ld      a,d
        cp      h
        jr      nz,ci_diff
        ld      a,e
        cp      l
        jr      nz,ci_diff
        ld      a,2
        ret
ci_diff:
        ld      a,1
        ret     c
        ld      a,4
        ret

; + and -
eval_add:
        call    eval_mul
ead_next:
        ld      a,(hl)
        sub     TOK_PLUS                ; C = 0 for +, 1 for -
        cp      2
        ret     nc
        ld      c,a
        push    bc
        inc     hl
        call    push_value
        call    eval_mul
        call    pop_arg
        pop     bc
        ld      a,(VALUE_TYPE)
        cp      T_STR
        jr      z,ead_str
        push    hl
        call    arith
        pop     hl
        jr      ead_next
ead_str:
        dec     c                       ; strings join; they do not subtract
        jp      z,tm_error
        call    same_types
        call    str_concat
        jr      ead_next

; * and /
eval_mul:
        call    eval_unary
em_next:
        ld      a,(hl)
        sub     TOK_TIMES               ; C = 2 for *, 3 for /
        cp      2
        ret     nc
        add     a,2
        ld      c,a
        push    bc
        inc     hl
        call    push_value
        call    eval_unary
        call    pop_arg
        pop     bc
        push    hl
        call    arith
        pop     hl
        jr      em_next

; Signed multiply: HL = HL * DE. Carry when the product does not fit.
mul_int:
        ld      a,h                     ; C bit 7 = the sign of the result
        xor     d
        ld      c,a
        bit     7,h                     ; multiply the magnitudes
        call    nz,negate_hl
        ex      de,hl
        bit     7,h
        call    nz,negate_hl
        ex      de,hl
        push    bc
        call    mul_uint                ; DE:HL = product
        pop     bc
        ld      a,d
        or      e
        scf
        ret     nz
        bit     7,c                     ; give HL the sign in C bit 7
        ld      a,h
        jr      z,mi_sign
        call    negate_hl
        ld      a,h
        or      l
        ret     z
        ld      a,h
        cpl
mi_sign:
        rla
        ret

; Unsigned multiply. Returns DE:HL = HL * DE (32 bits). Changes BC.
mul_uint:
        ld      b,h
        ld      c,l
        ld      hl,0
        ld      a,16
mu_bit:
        add     hl,hl
        rl      e
        rl      d
        jr      nc,mu_skip
        add     hl,bc
        jr      nc,mu_skip
        inc     de
mu_skip:
        dec     a
        jr      nz,mu_bit
        ret

; unary minus and plus, then powers: -2^2 is -4
eval_unary:
        ld      de,eval_power
; Signs, then the operand that the routine DE reads.
eu_signs:
        call    skip_sp
        cp      TOK_PLUS
        jr      z,eu_plus
        cp      TOK_MINUS
        jr      nz,eu_operand
        inc     hl
        call    eu_signs
        jp      negate_acc
eu_plus:
        inc     hl
        jr      eu_signs
eu_operand:
        push    de
        ret

eval_power:
        call    eval_primary
ep_pow:
        ld      a,(hl)
        cp      TOK_POW
        ret     nz
        inc     hl
        call    push_value
        call    eval_signed
        call    pop_arg
        push    hl
        call    power
        pop     hl
        jr      ep_pow

; An operand of ^: a sign, then a primary.
eval_signed:
        ld      de,eval_primary
        jr      eu_signs

; A number, a string in quotes, a variable, a function or (expression).
eval_primary:
        call    skip_sp
        cp      '('
        jr      z,ep_paren
        cp      '"'
        jp      z,str_literal
        cp      TOK_QUOTE_REM
        jp      nc,syntax_error
        cp      TOK_VARPTR
        jp      nc,eval_function
        cp      'A'
        jr      nc,ep_var               ; above 'Z': ?SN there
        cp      '.'
        jr      z,ep_number
        sub     '0'
        cp      10
        jp      nc,syntax_error
ep_number:
        call    parse_number
        jp      skip_sp
ep_paren:
        inc     hl
        call    eval
        rst     08h
        db      ')'
        ret
ep_var:
        call    get_var_addr
        ld      (VALUE_TYPE),a
        cp      T_STR
        jr      z,ep_str
        push    hl
        call    acc_addr
        ex      de,hl                   ; copy the value in
        jp      sv_copy
ep_str:
        ld      (ACC),de
        ret

; ---------------------------------------------------------------------------
; Variables. A simple variable: type, second and first letter of the name,
; then the value (2 bytes for an integer, a 3-byte descriptor for a
; string). An array: type, name, the byte count of the rest (2), the number
; of subscripts, the size of each subscript (2 each), then the elements.
; ---------------------------------------------------------------------------

; Reads a variable's name. Takes HL at its first letter, A = it (?SN
; unless A-Z). Returns B = the first letter, C = the second (0 for none),
; A = VAR_TYPE = its type; HL at the next non-blank. Letters and digits
; after the second are ignored.
get_name:
        cp      'A'
        jp      c,syntax_error
        cp      'Z' + 1
        jp      nc,syntax_error
        ld      b,a
        ld      c,0
        inc     hl
gn_more:
        ld      a,(hl)
        cp      '0'
        jr      c,gn_suffix
        cp      '9' + 1
        jr      c,gn_keep
        cp      'A'
        jr      c,gn_suffix
        cp      'Z' + 1
        jr      nc,gn_suffix
gn_keep:
        inc     hl
        inc     c
        dec     c
        jr      nz,gn_more
        ld      c,a
        jr      gn_more
gn_suffix:
        ld      d,T_STR
        cp      '$'
        jr      z,gn_typed
        ld      d,T_INT
        cp      '%'
        jr      z,gn_typed
        ld      d,T_SNG
        cp      '!'
        jr      z,gn_typed
        ld      d,T_DBL
        cp      '#'
        jr      z,gn_typed
        ld      a,b                     ; no suffix: the letter's type
        add     a,LOW (DEF_TYPES - 'A')
        ld      e,a
        ld      d,HIGH DEF_TYPES
        ld      a,(de)
        ld      d,a
        dec     hl                      ; (no character to step past)
gn_typed:
        inc     hl
        ld      a,d
        ld      (VAR_TYPE),a
        call    skip_sp
        ld      a,d
        ret

; The address of a variable's value, made when new. Takes HL at its name
; (or blanks before it). Returns DE = the value's address, A = its type,
; HL past the name and any subscripts.
get_var_addr:
        call    skip_sp
        call    get_name
        ld      a,(hl)
        cp      '('
        jp      z,array_element
        push    hl
        ld      hl,(SIMPLE_VARS)
gv_entry:
        ld      de,(ARRAY_VARS)
        rst     18h
        jr      z,gv_new
        call    same_name
        ld      e,(hl)                  ; the type: the size of the value
        ld      d,0
        inc     hl
        inc     hl
        inc     hl
        jr      z,gv_found
        add     hl,de
        jr      gv_entry
gv_found:
        ex      de,hl
        jr      gv_done
gv_new:                                 ; at the end of the simple variables
        push    bc
        ld      a,(VAR_TYPE)
        add     a,3
        ld      c,a
        ld      b,0
        call    make_room               ; HL = ARRAY_VARS, kept
        push    hl
        add     hl,bc
        ld      (ARRAY_VARS),hl
        pop     hl
        pop     bc
        call    var_head
        ld      d,h
        ld      e,l
gv_zero:                                ; the value starts as 0 or ""
        ld      (hl),0
        inc     hl
        dec     a
        jr      nz,gv_zero
gv_done:
        pop     hl
        ld      a,(VAR_TYPE)
        ret

; Z when the variable at HL has the type VAR_TYPE and the name BC. Keeps
; BC, DE, HL.
same_name:
        push    hl
        ld      a,(VAR_TYPE)
        cp      (hl)
        jr      nz,sn_other
        inc     hl
        ld      a,(hl)
        cp      c
        jr      nz,sn_other
        inc     hl
        ld      a,(hl)
        cp      b
sn_other:
        pop     hl
        ret

; Writes a variable's type and name BC at HL. Returns HL past them, A =
; the type.
var_head:
        ld      a,(VAR_TYPE)
        ld      (hl),a
        inc     hl
        ld      (hl),c
        inc     hl
        ld      (hl),b
        inc     hl
        ret

; Reads subscripts. Takes HL at '(', BC = the name. Returns SUB_COUNT and
; SUB_BUF (in the order written), HL past ')', BC kept.
subscripts:
        push    bc
        ld      a,(VAR_TYPE)            ; a subscript may have variables
        push    af
        ld      b,0
ss_next:
        push    bc
        inc     hl
        call    eval_int
        pop     bc
        inc     b
        push    de
        ld      a,(hl)
        cp      ','
        jr      z,ss_next
        rst     08h
        db      ')'
        ld      a,b
        cp      MAX_DIMS + 1
        jp      nc,syntax_error
        ld      (SUB_COUNT),a
        ld      (SUB_TEXT),hl
        add     a,a
        add     a,LOW (SUB_BUF - 2)
        ld      l,a
        ld      h,HIGH SUB_BUF
ss_pop:
        pop     de
        ld      (hl),e
        inc     hl
        ld      (hl),d
        dec     hl
        dec     hl
        dec     hl
        djnz    ss_pop
        pop     af
        ld      (VAR_TYPE),a
        pop     bc
        ld      hl,(SUB_TEXT)
        ret

; Finds an array. Takes BC = name, VAR_TYPE. Returns carry and HL = it.
; Keeps BC.
find_array:
        ld      hl,(ARRAY_VARS)
fa_entry:
        ld      de,(FREE_MEMORY)
        rst     18h
        ret     nc
        call    same_name
        scf
        ret     z
        inc     hl
        inc     hl
        inc     hl
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        inc     hl
        add     hl,de
        jr      fa_entry

; Makes an array. Takes BC = name, VAR_TYPE, SUB_COUNT and DIM_BUF = the
; size of each subscript. Returns HL = the new array. ?OM when too big.
new_array:
        push    bc
        ld      a,(SUB_COUNT)
        ld      b,a
        ld      hl,DIM_BUF
        ld      de,1
na_count:                               ; DE = number of elements
        push    bc
        ld      c,(hl)
        inc     hl
        ld      b,(hl)
        inc     hl
        push    hl
        ld      h,b
        ld      l,c
        call    mul_uint
        ld      a,d
        or      e
        jp      nz,om_error
        ex      de,hl
        pop     hl
        pop     bc
        djnz    na_count
        ld      a,(VAR_TYPE)            ; bytes = elements * type
        ld      l,a
        ld      h,0
        call    mul_uint
        ld      a,d
        or      e
        jp      nz,om_error
        ld      a,(SUB_COUNT)
        add     a,a
        inc     a
        ld      e,a
        ld      d,0
        add     hl,de                   ; the count stored in the array
        jp      c,om_error
        push    hl
        ld      bc,5
        add     hl,bc
        jp      c,om_error
        ld      b,h
        ld      c,l
        ld      hl,(FREE_MEMORY)
        call    make_room
        pop     de                      ; the count
        pop     bc                      ; the name
        push    hl
        call    var_head
        ld      (hl),e
        inc     hl
        ld      (hl),d
        inc     hl
        ld      a,(SUB_COUNT)
        ld      (hl),a
        inc     hl
        dec     de                      ; the rest: sizes, then zeros
        push    bc
        add     a,a
        ld      c,a
        ld      b,0
        ex      de,hl
        or      a
        sbc     hl,bc                   ; bytes of the elements
        push    hl
        ld      hl,DIM_BUF
        ldir
        ex      de,hl
        pop     bc
na_zero:
        ld      a,b
        or      c
        jr      z,na_done
        ld      (hl),0
        inc     hl
        dec     bc
        jr      na_zero
na_done:
        pop     bc
        pop     hl
        ret

; An array element. Takes HL at '(', BC = the name, VAR_TYPE. Returns
; DE = the element's address, A = the type, HL past ')'. An array used
; before DIM gets 11 elements (0-10) per subscript.
array_element:
        call    subscripts
        push    hl
        call    find_array
        jr      c,ae_found
        ld      a,(SUB_COUNT)
        ld      hl,DIM_BUF
ae_default:
        ld      (hl),11
        inc     hl
        ld      (hl),0
        inc     hl
        dec     a
        jr      nz,ae_default
        call    new_array
ae_found:
        ld      de,5
        add     hl,de
        ld      a,(SUB_COUNT)
        cp      (hl)
        jp      nz,bs_error
        inc     hl                      ; HL = the sizes
        ld      e,a
        add     a,a
        ld      c,a
        ld      b,0
        add     hl,bc                   ; past the sizes
        push    hl                      ; the first element
        dec     hl                      ; the last size, high byte
        ld      ix,SUB_BUF - 1
        add     ix,bc                   ; the last subscript, high byte
        ld      b,e
        ld      de,0                    ; DE = offset
ae_dim:                                 ; offset = offset * size + subscript
        push    bc
        ld      b,(hl)
        dec     hl
        ld      c,(hl)
        dec     hl
        push    hl
        ld      h,(ix + 0)
        ld      l,(ix - 1)
        dec     ix
        dec     ix
        push    hl                      ; the subscript
        or      a                       ; subscript < size (unsigned)
        sbc     hl,bc
        jp      nc,bs_error
        ex      de,hl
        ld      d,b
        ld      e,c
        call    mul_uint
        pop     de
        add     hl,de
        ex      de,hl
        pop     hl
        pop     bc
        djnz    ae_dim
        ex      de,hl                   ; HL = offset: times the type
        ld      a,(VAR_TYPE)
        ld      e,a
        ld      d,0
        call    mul_uint
        pop     de
        add     hl,de
        ex      de,hl
        pop     hl
        ld      a,(VAR_TYPE)
        ret

