; ---------------------------------------------------------------------------
; The numeric functions: SQR, SIN, COS, TAN, ATN, LOG, EXP, RND and ^.
; They work in single precision, with a guard byte, as the machine's BASIC
; does; polynomials are Taylor series cut where the error falls below a
; unit in the last place.
; ---------------------------------------------------------------------------

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
        jr      set_sign

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

; RND(0): a number between 0 and 1; RND(n): a whole number from 1 to n.
fn_rnd:
        call    fn_arg
        push    hl
        call    acc_is_zero
        jr      z,rnd_fraction
        call    get_int
        ld      a,d
        or      a
        jp      m,fc_error
        or      e
        jp      z,fc_error
        push    de
        call    rnd_next
        call    swap_regs
        pop     de
        call    fa_int
        call    fp_mul
        xor     a
        call    fa_to_int
        inc     de
        pop     hl
        jp      set_int
rnd_fraction:
        call    rnd_next
        jp      fna_store

; The next value of the generator, two steps of seed = seed * 25173 +
; 13849 (16 bits), as FA between 0 and 1.
rnd_next:
        ld      a,T_SNG
        call    set_prec
        call    fa_zero
        call    rn_step
        ld      (FA + 6),hl
        call    rn_step
        ld      (FA + 4),hl
        ld      a,80h
        ld      (FA + 8),a
        jp      fa_normalize
rn_step:
        ld      hl,(RND_SEED)
        ld      de,25173
        call    mul_uint
        ld      de,13849
        add     hl,de
        ld      (RND_SEED),hl
        ret

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

sin_poly:                        ; sin(2 pi f) / f, in f squared
        db      7
        db      01Ah,07Ah,074h,082h ; 3.8199525848482803
        db      0A8h,083h,0F1h,084h ; -15.094642576822984
        db      01Ah,03Ch,028h,086h ; 42.058693944897634
        db      066h,069h,099h,087h ; -76.70585975306136
        db      0E3h,035h,023h,087h ; 81.60524927607504
        db      0E7h,05Dh,0A5h,086h ; -41.341702240399755
        db      0DBh,00Fh,049h,083h ; 6.283185307179586
atn_poly:                        ; atn(t) / t, in t squared
        db      7
        db      0D9h,089h,01Dh,07Dh ; 0.07692307692307693
        db      08Ch,02Eh,0BAh,07Dh ; -0.09090909090909091
        db      039h,08Eh,063h,07Dh ; 0.1111111111111111
        db      025h,049h,092h,07Eh ; -0.14285714285714285
        db      0CDh,0CCh,04Ch,07Eh ; 0.2
        db      0ABh,0AAh,0AAh,07Fh ; -0.3333333333333333
        db      000h,000h,000h,081h ; 1.0
log_poly:                        ; 2 atanh(s) / s, in s squared
        db      5
        db      039h,08Eh,063h,07Eh ; 0.2222222222222222
        db      025h,049h,012h,07Fh ; 0.2857142857142857
        db      0CDh,0CCh,04Ch,07Fh ; 0.4
        db      0ABh,0AAh,02Ah,080h ; 0.6666666666666666
        db      000h,000h,000h,082h ; 2.0
exp_poly:                        ; 2^f
        db      9
        db      011h,060h,031h,06Dh ; 1.3215486790144305e-06
        db      0FEh,0E5h,07Fh,070h ; 1.5252733804059838e-05
        db      089h,084h,021h,074h ; 0.00015403530393381606
        db      0FFh,0C3h,02Eh,077h ; 0.0013333558146428441
        db      05Bh,095h,01Dh,07Ah ; 0.009618129107628477
        db      047h,058h,063h,07Ch ; 0.055504108664821576
        db      0F0h,0FDh,075h,07Eh ; 0.2402265069591007
c_ln2:
        db      018h,072h,031h,080h ; 0.6931471805599453
c_one:
        db      000h,000h,000h,081h ; 1.0
c_inv_2pi:                              ; 32 bits of mantissa
        db      06Eh,083h,0F9h,022h,07Eh ; 0.15915494309189535
c_half_pi:
        db      0DBh,00Fh,049h,081h ; 1.5707963267948966
c_sixth_pi:
        db      092h,00Ah,006h,080h ; 0.5235987755982988
c_sqrt3:
        db      0D7h,0B3h,05Dh,081h ; 1.7320508075688772
c_sqrt2:
        db      0F3h,004h,035h,081h ; 1.4142135623730951
c_log2e:                                ; 32 bits of mantissa
        db      029h,03Bh,0AAh,038h,081h ; 1.4426950408889634
