; ---------------------------------------------------------------------------
; Floating point: moving registers, constants, polynomials.
; ---------------------------------------------------------------------------

; FB = the single-precision constant at HL. Keeps FA.
fb_const:
        ld      a,T_SNG
fb_const_a:
        push    af
        push    hl
        call    swap_regs
        pop     hl
        pop     af
        call    unpack
        jp      swap_regs

; FA = FA * the constant at HL (fa_mul_ext: one with 4 mantissa bytes);
; FA = FA + it.
fa_mul_ext:
        ld      a,5
        jr      fm_const
fa_mul_const:
        ld      a,T_SNG
fm_const:
        call    fb_const_a
        jp      fp_mul
fa_add_const:
        call    fb_const
        jp      fp_add

; FA to and from the saved registers FS3 and FS4.
fa_to_fs3:
        ld      de,FS3
        jr      from_fa
fa_to_fs4:
        ld      de,FS4
        jr      from_fa
fs3_to_fa:
        ld      hl,FS3
        jr      to_fa
fs4_to_fa:
        ld      hl,FS4

; Copies a register: HL to FA, FA to DE, HL to FB, HL to DE (copy_reg,
; which keeps A).
to_fa:
        ld      de,FA
        jr      copy_reg
from_fa:
        ld      hl,FA
        jr      copy_reg
to_fb:
        ld      de,FB
copy_reg:
        ld      bc,FREG
        ldir
        ret

; FB = 1/2, keeping FA; FA = 1/2.
fb_half:
        call    swap_regs
        call    fa_half
        jp      swap_regs
fa_half:
        ld      a,1
        call    fa_byte
        ld      hl,FA + 8
        dec     (hl)
        ret

; FA = P(FA), the polynomial at HL: a count, then the coefficients from
; the highest power down. Uses FS1.
poly:
        ld      de,FS1
        push    hl
        call    from_fa                 ; FS1 = x
        call    fa_zero
        pop     hl
        ld      b,(hl)
pl_next:                                ; FA = FA * x + the next coefficient
        inc     hl
        push    bc
        push    hl
        ld      hl,FS1
        call    to_fb
        call    fp_mul
        pop     hl
        push    hl
        call    fa_add_const
        pop     hl
        pop     bc
        inc     hl
        inc     hl
        inc     hl
        djnz    pl_next
        ret

; FA = FA * P(FA^2): an odd series. Uses FS1, FS2.
odd_poly:
        push    hl
        ld      de,FS2
        call    from_fa
        ld      hl,FS2
        call    to_fb
        call    fp_mul
        pop     hl
        call    poly
        ld      hl,FS2
        call    to_fb
        jp      fp_mul

