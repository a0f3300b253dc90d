; ---------------------------------------------------------------------------
; The numeric functions: SQR, SIN, COS, TAN, ATN, LOG, EXP, RND and ^.
; They work in single precision, with a guard byte, as the machine's BASIC
; does; polynomials are Taylor series cut where the error falls below a
; unit in the last place.
;
; The parts sit in different gaps of the image (kestrel_basic.asm): PART 1
; FUNC() and SQR, PART 2 ATN, PART 3 SIN, COS and TAN.
; ---------------------------------------------------------------------------

        if PART = 1
FS4             equ     41D8h           ; a fourth saved register
FN_SIGN         equ     41E2h           ; sign of the result (bit 7)
FN_FLAGS        equ     41E3h           ; ATN: reduced (bit 0), inverted (bit 1)
FN_EXP          equ     41E4h           ; LOG: the argument's power of two

; FUNC(x) for the single-precision functions: each fn_ entry calls this
; just before its routine (FA = f(FA)).
fn_apply:
        call    fn_arg
        pop     de                      ; the routine
        push    hl
        push    de
        ld      a,T_SNG
        call    conv_acc
        ld      a,T_SNG
        call    set_prec
        call    acc_to_fa
        pop     hl
        call    jp_hl
fna_store:
        call    fa_to_sng
        pop     hl
        ret
jp_hl:
        jp      (hl)

; SQR: Newton's steps from a guess with half the exponent. ?FC below 0.
fn_sqr:
        call    fn_apply
fp_sqr:
        ld      hl,(FA + 8)             ; L = the exponent, H = the sign
        ld      a,l
        or      a
        ret     z
        ld      a,h
        or      a
        jp      nz,fc_error
        call    fa_to_fs4
        ld      hl,FA + 8               ; (exponent + 1) / 2, rebiased
        ld      a,(hl)
        add     a,1
        rra
        add     a,40h
        ld      (hl),a
        ld      b,4
sq_step:                                ; x = (x + a / x) / 2
        push    bc
        call    swap_regs
        call    fs4_to_fa
        call    fp_div                  ; FB stays x
        call    fp_add
        ld      hl,FA + 8
        dec     (hl)
        pop     bc
        djnz    sq_step
        ret
        endif

        if PART = 3
; COS(x) = SIN(x + pi/2).
fn_cos:
        call    fn_apply
fp_cos:
        ld      hl,c_half_pi
        call    fa_add_const
        jr      fp_sin
; SIN: x in turns, its fraction folded into the first quarter.
fn_sin:
        call    fn_apply
fp_sin:
        ld      hl,c_inv_2pi
        call    fa_mul_ext
        call    fa_to_fs3
        call    fp_floor
        call    swap_regs
        call    fs3_to_fa
        call    fp_sub                  ; 0 <= f < 1
        ld      a,(FA + 8)
        cp      80h
        ld      a,0
        jr      c,fs_first_half
        call    fb_half                 ; the second half: the first, negated
        call    fp_sub
        ld      a,80h
fs_first_half:
        ld      (FN_SIGN),a
        ld      a,(FA + 8)
        cp      7Fh
        jr      c,fs_quarter
        call    swap_regs               ; the second quarter mirrors the first
        call    fa_half
        call    fp_sub
fs_quarter:
        ld      hl,sin_poly
        call    odd_poly
        jp      set_sign

; TAN = SIN / COS.
fn_tan:
        call    fn_apply
fp_tan:
        call    fa_to_fs4
        call    fp_cos
        ld      de,FS4                  ; FS4 = cos, FA = x
        call    swap_fa
        call    fp_sin
        ld      hl,FS4
        call    to_fb
        jp      fp_div

; FA = (FA - 1) / (FS4 + the constant at HL). Uses FS3.
fa_over_fs4:
        push    hl
        call    fa_dec
        call    fa_to_fs3
        call    fs4_to_fa
        pop     hl
        call    fa_add_const
        call    swap_regs
        call    fs3_to_fa
        jp      fp_div
        endif

        if PART = 2
; ATN: of |x|; above 1 through 1/x, above tan(pi/12) through pi/6.
fn_atn:
        call    fn_apply
fp_atn:
        ld      hl,(FA + 8)
        ld      a,h
        ld      (FN_SIGN),a
        xor     a
        ld      (FA + 9),a
        ld      (FN_FLAGS),a
        ld      a,l
        cp      81h
        jr      c,fa_le1
        call    swap_regs               ; 1/x
        ld      a,1
        call    fa_byte
        call    fp_div
        ld      a,2
        ld      (FN_FLAGS),a
fa_le1:
        ld      a,(FA + 8)              ; above 0.25: (x*sqrt3 - 1)/(x + sqrt3)
        cp      7Fh
        jr      c,fa_small
        call    fa_to_fs4
        ld      hl,c_sqrt3
        call    fa_mul_const
        ld      hl,c_sqrt3
        call    fa_over_fs4
        ld      hl,FN_FLAGS
        inc     (hl)
fa_small:
        ld      hl,atn_poly
        call    odd_poly
        ld      a,(FN_FLAGS)
        rra
        push    af
        ld      hl,c_sixth_pi
        call    c,fa_add_const
        pop     af
        rra
        jr      nc,set_sign
        call    swap_regs               ; pi/2 - the angle
        ld      hl,c_half_pi
        ld      a,T_SNG
        call    unpack
        call    fp_sub

; Flips FA's sign when FN_SIGN has bit 7 set; a zero stays as it is.
set_sign:
        ld      a,(FA + 8)
        or      a
        ret     z
        ld      hl,FA + 9
        ld      a,(FN_SIGN)
        xor     (hl)
        ld      (hl),a
        ret
        endif
