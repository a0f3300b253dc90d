; ---------------------------------------------------------------------------
; Numbers in the BASIC accumulator: integer (2), single (4), double (8).
; ACC holds an integer or a single; a double starts 4 bytes lower
; (411Dh-4124h). ARG, the left operand, is laid out the same way.
; ---------------------------------------------------------------------------

ACC_DBL         equ     ACC - 4
ARG_DBL         equ     ARG - 4

; HL = where a value of type A starts in the accumulator (ARG with
; arg_addr). Keeps A, BC, DE.
acc_addr:
        ld      hl,ACC
        jr      aa_type
arg_addr:
        ld      hl,ARG
aa_type:
        cp      T_DBL
        ret     nz
        dec     hl
        dec     hl
        dec     hl
        dec     hl
        ret

; A = the accumulator's type. ?TM for a string. Keeps BC, DE, HL.
num_type:
        ld      a,(VALUE_TYPE)
        cp      T_STR
        ret     nz
        jp      tm_error

; FA = the accumulator, at the precision already set.
acc_to_fa:
        ld      a,(VALUE_TYPE)
        call    acc_addr
        jp      unpack

; Makes FA the accumulator's value, of type A (2, 4 or 8); fa_to_sng: a
; single.
fa_to_sng:
        ld      a,T_SNG
fa_to_acc:
        cp      T_INT
        jr      nz,fta_float
        xor     a
        call    fa_to_int
        jp      set_int
fta_float:
        ld      (VALUE_TYPE),a
        call    acc_addr
        jp      pack

; Converts the accumulator to type A (2, 4 or 8). ?TM for a string, ?OV
; when it does not fit. Keeps HL.
conv_acc:
        ld      e,a
        call    num_type
        cp      e
        ret     z
        push    hl
        push    de
        ld      a,T_DBL
        call    set_prec
        call    acc_to_fa
        pop     de
        ld      a,e                     ; the type wanted
        call    fa_to_acc
        pop     hl
        ret

; Prepares ARG and ACC, both numbers, for an operation: FA = ARG, FB = ACC
; at the precision of the wider of them. Returns A = the result's type
; (single at least). ?TM when one is a string.
num_operands:
        ld      a,(ARG_TYPE)
        ld      hl,VALUE_TYPE
        ld      b,a
        or      (hl)
        rra                             ; bit 0: a string (3)
        jp      c,tm_error
        ld      a,(hl)
        cp      b
        jr      nc,no_wider
        ld      a,b
no_wider:
        cp      T_SNG
        jr      nc,no_float
        ld      a,T_SNG
no_float:
        push    af
        call    set_prec
        call    acc_to_fa
        call    swap_regs
        ld      a,(ARG_TYPE)
        call    arg_addr
        call    unpack
        pop     af
        ret

; Compares ARG with ACC (numbers). Returns A = 1 (ARG less), 2 or 4.
num_cmp:
        call    both_int
        jr      nz,nc_float
        ld      de,(ARG)
        ld      hl,(ACC)
        jp      cmp_int
nc_float:
        call    num_operands
        jp      fp_cmp

; ACC = ARG op ACC for numbers; C = the operation: 0 +, 1 -, 2 *, 3 /.
; Integers stay integers until a result does not fit; / always gives a
; fraction.
arith:
        call    both_int
        jr      nz,ar_float
        ld      hl,(ARG)
        ld      de,(ACC)
        ld      a,c
        or      a                       ; no carry
        jr      z,ar_add
        dec     a
        jr      z,ar_sub
        dec     a
        jr      nz,ar_float
        push    bc
        call    mul_int
        pop     bc
        jr      c,ar_float
        jr      ar_store
ar_sub:
        sbc     hl,de
        jr      ar_check
ar_add:
        adc     hl,de
ar_check:
        jp      pe,ar_float
ar_store:
        ld      (ACC),hl
        ret
ar_float:
        push    bc
        call    num_operands
        pop     bc
        push    af
        call    ar_op
        pop     af
        jp      fa_to_acc
ar_op:
        dec     c
        jp      m,fp_add
        jp      z,fp_sub
        dec     c
        jp      z,fp_mul
        jp      fp_div

; Z when ARG and ACC are both integers.
both_int:
        ld      a,(ARG_TYPE)
        ld      hl,VALUE_TYPE
        add     a,(hl)
        cp      2 * T_INT
        ret

; ACC = -ACC. An integer -32768 becomes a single. ?TM for a string.
; Keeps HL.
negate_acc:
        call    num_type
        cp      T_INT
        jr      nz,na_float
        push    hl
        ld      hl,(ACC)
        call    negate_hl
        ex      de,hl
        pop     hl
        ld      a,d                     ; -(-32768) does not fit
        xor     80h
        or      e
        jp      nz,set_int
        jr      set_uint
na_float:
        ld      a,(ACC + 3)
        or      a
        ret     z
        ld      a,(ACC + 2)
        xor     80h
        ld      (ACC + 2),a
        ret

; Sets the accumulator to the unsigned number DE: an integer up to 32767,
; a single above. Keeps HL.
set_uint:
        bit     7,d
        jp      z,set_int
        ld      a,T_SNG
        call    set_prec
        call    fa_uint
        push    hl
        call    fa_to_sng
        pop     hl
        ret

; Returns DE = the accumulator as an address: a number from -32768 to
; 65535, rounded down. Keeps BC, HL.
get_addr:
        ld      a,1
        jp      gi_convert

; Returns Z when the accumulator (a number) is zero. ?TM for a string.
; Keeps BC, DE, HL.
acc_is_zero:
        call    num_type
        cp      T_INT
        ld      a,(ACC + 3)
        jr      nz,aiz_float
        push    hl
        ld      hl,(ACC)
        ld      a,h
        or      l
        pop     hl
aiz_float:
        or      a
        ret

; FA = FA * 10^HL (HL signed).
fa_scale10:
        ld      a,(FA + 8)
        or      a
        ret     z
        bit     7,h
        jr      z,fs_up
        call    negate_hl
fs_more:                                ; by 10^30 at most at a time
        ld      de,-30
        add     hl,de
        jr      nc,fs_last
        push    hl
        ld      a,30
        call    fa_div_pow10
        pop     hl
        jr      fs_more
fs_last:
        ld      a,l
        add     a,30
        ret     z
; FA = FA / 10^A. Uses FS2.
fa_div_pow10:
        ld      de,FS2
        call    from_fa
        call    fa_pow10
        call    swap_regs
        ld      hl,FS2
        call    to_fa
        jp      fp_div

; FA = 10^A.
fa_pow10:
        ld      l,a
        ld      h,0
        ld      a,1
        call    fa_byte                 ; keeps HL
; FA = FA * 10^HL, HL not negative.
fs_up:
        ld      a,h
        or      l
        ret     z
        push    hl
        call    fb_ten
        call    fp_mul
        pop     hl
        dec     hl
        jr      fs_up
