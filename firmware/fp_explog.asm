; ---------------------------------------------------------------------------
; Floating point: LOG (PART 1), EXP (PART 2) and ^ (PART 3), each in its
; own gap of the image.
; ---------------------------------------------------------------------------

        if PART = 1
; LOG: x = m * 2^e; ln x = (e - 1/2) ln 2 + 2 atanh(s), s = (t-1)/(t+1),
; t = m * sqrt 2. ?FC for x <= 0.
fn_log:
        call    fn_apply
fp_log:
        ld      hl,(FA + 8)             ; L = the exponent, H = the sign
        ld      a,h
        or      a
        jp      nz,fc_error
        or      l
        jp      z,fc_error
        sub     80h
        ld      (FN_EXP),a
        ld      a,80h
        ld      (FA + 8),a
        ld      hl,c_sqrt2
        call    fa_mul_const
        call    fa_to_fs4
        ld      hl,c_one
        call    fa_over_fs4
        ld      hl,log_poly
        call    odd_poly
        call    fa_to_fs4
        ld      a,(FN_EXP)
        ld      e,a
        rla
        sbc     a,a
        ld      d,a
        call    fa_int
        call    fb_half
        call    fp_sub
        ld      hl,c_ln2
        call    fa_mul_const
        ld      hl,FS4
        call    to_fb
        jp      fp_add
        endif

        if PART = 2
; EXP: e^x = 2^n * 2^f, n the whole number nearest x / ln 2.
fn_exp:
        call    fn_apply
fp_exp:
        ld      hl,c_log2e
        call    fa_mul_ext
        ld      hl,(FA + 8)             ; beyond 2^128 either way
        ld      a,l
        cp      80h + 8
        jr      c,fe_range
        ld      a,h
        or      a
        jp      z,ov_error
        jp      fa_zero
fe_range:
        call    fa_to_fs4
        call    fb_half
        call    fp_add
        xor     a
        call    fa_to_int               ; FA = n too
        push    de
        call    swap_regs
        call    fs4_to_fa
        call    fp_sub
        ld      hl,exp_poly
        call    poly
        pop     de
        ld      hl,(FA + 8)
        ld      h,0
        add     hl,de
        jp      set_exp_hl
        endif

        if PART = 3
; ARG ^ ACC, as e^(power * ln base), in single precision. A negative base
; takes a whole power only (odd: a negative result); x^0 is 1.
power:
        call    num_operands            ; FA = the base, FB = the power
        call    fa_to_fs3
        call    swap_regs
        xor     a
        ld      (FN_SIGN),a
        ld      a,(FA + 8)
        or      a
        ld      a,1
        jr      z,pw_byte               ; x^0
        ld      a,(FS3 + 9)
        or      a
        jr      z,pw_log
        call    fp_trunc                ; a negative base: a whole power,
        jp      nz,fc_error             ; odd below 2^16 makes it negative
        ld      a,(FA + 8)
        cp      80h + 17
        jr      nc,pw_log
        ld      a,1
        call    fa_to_int
        ld      a,e
        rrca
        and     80h
        ld      (FN_SIGN),a
pw_log:
        call    fs3_to_fa               ; ln |base|
        xor     a
        ld      (FA + 9),a
        ld      a,(FA + 8)
        or      a
        jr      z,pw_store              ; 0^y = 0
        call    fp_log
        call    swap_regs               ; times the power, still in ACC
        call    acc_to_fa
        call    fp_mul
        call    fp_exp
        call    set_sign
pw_store:
        jp      fa_to_sng
pw_byte:
        call    fa_byte
        jr      pw_store
        endif
