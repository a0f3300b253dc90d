; ---------------------------------------------------------------------------
; Floating point: the working registers and the four operations.
;
; Stored numbers keep the machine's layout: the mantissa low byte first,
; its top bit replaced by the sign, then the exponent biased by 80h
; (0 means zero): value = 0.1mmm... (binary) * 2^(exponent - 80h).
; Single precision has 3 mantissa bytes, double precision 7.
;
; Arithmetic works on two unpacked registers, FA and FB: 8 mantissa bytes
; (low first, the top bit always set unless the value is zero), then the
; exponent, then the sign (bit 7). Only the top FP_LEN bytes take part:
; 4 for single precision (a guard byte below the 3 kept), 8 for double;
; the bytes below stay zero. Results are rounded when packed.
; ---------------------------------------------------------------------------

FA              equ     4190h           ; mantissa, +8 exponent, +9 sign
FB              equ     419Ah
FT              equ     41A4h           ; product or quotient being built; then
                                        ; 5 bytes for reading a number
FS1             equ     41B3h           ; three saved registers, 10 bytes each
FS2             equ     41BDh
FS3             equ     41C7h
FP_LEN          equ     41D1h           ; bytes of mantissa in use: 4 or 8
FP_OFF          equ     41D2h           ; 8 - FP_LEN: the lowest byte in use
FP_EXP          equ     41D3h           ; a result's exponent, 16 bits
FREG            equ     10

; Sets the working precision for a type (8 bytes for double, else 4).
; Keeps BC, DE, HL.
set_prec:
        cp      T_DBL
        ld      a,4
        jr      nz,sp_set
        ld      a,8
sp_set:
        ld      (FP_LEN),a
        neg
        add     a,8
        ld      (FP_OFF),a
        ret

; HL = the lowest byte in use of the register at HL, B = FP_LEN. Keeps DE.
reg_lo:
        ld      a,(FP_OFF)
        add     a,l
        ld      l,a
        ld      a,(FP_LEN)
        ld      b,a
        ret

fa_lo:
        ld      hl,FA
        jr      reg_lo

; HL = FA's lowest byte in use, DE = FB's, B = FP_LEN.
fa_fb_lo:
        ld      hl,FB
        call    reg_lo
        ex      de,hl
        jr      fa_lo

; (HL) += (DE), B bytes from the low end. Carry out.
m_add:
        or      a
ma_byte:
        ld      a,(de)
        adc     a,(hl)
        ld      (hl),a
        inc     hl
        inc     de
        djnz    ma_byte
        ret

; (HL) -= (DE), B bytes from the low end. Carry = borrow. Changes C.
m_sub:
        or      a
ms_byte:
        ld      a,(de)
        ld      c,a
        ld      a,(hl)
        sbc     a,c
        ld      (hl),a
        inc     hl
        inc     de
        djnz    ms_byte
        ret

; Shifts B bytes left by one bit from the low end at HL, carry in; carry out.
m_shl:
        rl      (hl)
        inc     hl
        djnz    m_shl
        ret

; Shifts the mantissa whose top byte is at HL right by one bit, carry in
; at the top.
m_shr:
        ld      a,(FP_LEN)
        ld      b,a
msr_byte:
        rr      (hl)
        dec     hl
        djnz    msr_byte
        ret

; Shifts the mantissa of the register at HL right by 8 bits.
m_shr8:
        call    reg_lo
        dec     b
        ld      d,h
        ld      e,l
        inc     hl
        ld      c,b
        ld      b,0
        ldir
        xor     a
        ld      (de),a
        ret

; Copies the register at HL to DE. Keeps A.
copy_reg:
        ld      bc,FREG
        ldir
        ret

; Clears the register at HL (zero). Keeps DE.
zero_reg:
        ld      b,FREG
zr_byte:
        ld      (hl),0
        inc     hl
        djnz    zr_byte
        ret

fa_zero:
        ld      hl,FA
        jr      zero_reg

; Sets FA to the whole number A (0..255).
fa_byte:
        ld      e,a
        ld      d,0
; Sets FA to the signed integer DE. Keeps HL.
fa_int:
        push    hl
        call    fa_zero
        ld      a,d
        and     80h
        ld      (FA + 9),a
        jr      z,fi_positive
        ex      de,hl
        call    negate_hl
        ex      de,hl
fi_positive:
        ld      (FA + 6),de
        ld      a,80h + 16
        ld      (FA + 8),a
        call    fa_normalize
        pop     hl
        ret

; Unpacks the value at HL of type A (2, 4 or 8) into FA. For an integer
; HL points at its two bytes.
unpack:
        cp      T_INT
        jr      nz,up_float
        ld      e,(hl)
        inc     hl
        ld      d,(hl)
        jr      fa_int
up_float:
        push    hl
        push    af
        call    fa_zero
        pop     af
        dec     a                       ; mantissa bytes: 3 or 7
        ld      c,a
        ld      b,0
        pop     hl
        add     hl,bc                   ; the exponent
        ld      a,(hl)
        ld      (FA + 8),a
        or      a
        ret     z
        dec     hl                      ; the top byte holds the sign
        ld      a,(hl)
        and     80h
        ld      (FA + 9),a
        ld      a,(hl)
        or      80h
        ld      (FA + 7),a
        dec     hl
        dec     c
        ld      de,FA + 6
        lddr
        ret

; Packs FA, rounded, into the value at HL of type A (4 or 8).
; ?OV when rounding carries past the largest exponent.
pack:
        push    hl
        push    af
        dec     a
        ld      c,a                     ; mantissa bytes kept
        ld      b,0
        ld      a,(FA + 8)
        or      a
        jr      z,pk_zero
        ld      hl,FA + 8
        or      a
        sbc     hl,bc                   ; the highest byte dropped
        dec     hl
        bit     7,(hl)
        jr      z,pk_store
        inc     hl                      ; round up
        ld      b,c
pk_carry:
        inc     (hl)
        jr      nz,pk_store
        inc     hl
        djnz    pk_carry
        ld      a,80h                   ; 0.1111.. rounded to 1.000..
        ld      (FA + 7),a
        ld      hl,FA + 8
        inc     (hl)
        jp      z,ov_error
pk_store:
        pop     af
        pop     de                      ; DE = the value's place
        ld      b,0
        ld      hl,FA + 8
        or      a
        sbc     hl,bc                   ; the lowest byte kept
        ldir
        ex      de,hl
        ld      a,(FA + 8)              ; HL = the exponent's place
        ld      (hl),a
        dec     hl
        ld      a,(FA + 9)
        or      7Fh
        and     (hl)
        ld      (hl),a
        ret
pk_zero:
        pop     af
        pop     hl
pk_clear:
        ld      (hl),0
        inc     hl
        dec     a
        jr      nz,pk_clear
        ret

; Normalises FA: shifts the mantissa left until its top bit is set. Zero
; when the mantissa is zero or the exponent falls below the smallest.
fa_normalize:
        call    fa_lo
        xor     a
nz_test:
        or      (hl)
        inc     hl
        djnz    nz_test
        or      a
        jr      z,fa_set_zero
nz_byte:
        ld      a,(FA + 7)
        or      a
        jr      nz,nz_bits
        ld      a,(FA + 8)
        sub     8
        jr      c,fa_set_zero
        jr      z,fa_set_zero
        ld      (FA + 8),a
        ld      hl,FA + 6
        ld      de,FA + 7
        ld      a,(FP_LEN)
        dec     a
        ld      c,a
        ld      b,0
        lddr
        xor     a
        ld      (de),a
        jr      nz_byte
nz_bits:
        or      a
        ret     m
        call    fa_lo
        or      a
        call    m_shl
        ld      hl,FA + 8
        dec     (hl)
        jr      z,fa_set_zero
        ld      a,(FA + 7)
        jr      nz_bits
fa_set_zero:
        jp      fa_zero

; FA = FA - FB.
fp_sub:
        ld      hl,FB + 9
        ld      a,(hl)
        xor     80h
        ld      (hl),a
; FA = FA + FB.
fp_add:
        ld      a,(FB + 8)
        or      a
        ret     z
        ld      a,(FA + 8)
        or      a
        jr      nz,fa_both
        ld      hl,FB
        ld      de,FA
        jp      copy_reg
fa_both:
        ld      hl,FB + 8
        sub     (hl)
        jr      nc,fa_ordered
        call    swap_regs               ; FA the larger in size
        ld      a,(FA + 8)
        ld      hl,FB + 8
        sub     (hl)
fa_ordered:                             ; shift FB right A bits
        ld      c,a
        ld      a,(FP_LEN)
        add     a,a
        add     a,a
        add     a,a
        cp      c
        ret     c                       ; FB too small to count
fa_align8:
        ld      a,c
        cp      8
        jr      c,fa_align1
        sub     8
        push    af
        ld      hl,FB
        call    m_shr8
        pop     af
        ld      c,a
        jr      fa_align8
fa_align1:
        or      a
        jr      z,fa_aligned
        push    af
        ld      hl,FB + 7
        or      a
        call    m_shr
        pop     af
        dec     a
        jr      fa_align1
fa_aligned:
        ld      a,(FA + 9)
        ld      hl,FB + 9
        xor     (hl)
        jp      m,fa_differ
        call    fa_fb_lo
        call    m_add
        ret     nc
        ld      hl,FA + 7           ; a carry: one place right
        scf
        call    m_shr
fa_exp_up:
        ld      hl,FA + 8
        inc     (hl)
        ret     nz
        jp      ov_error
fa_differ:
        call    fa_fb_lo
        call    m_sub
        jr      nc,fa_norm
        ld      hl,FA + 9               ; FB was the larger: negate
        ld      a,(hl)
        xor     80h
        ld      (hl),a
        call    fa_lo
        or      a
fa_neg_byte:
        ld      a,0
        sbc     a,(hl)
        ld      (hl),a
        inc     hl
        djnz    fa_neg_byte
fa_norm:
        jp      fa_normalize

; Exchanges FA and FB.
swap_regs:
        ld      hl,FA
        ld      de,FB
        ld      b,FREG
sw_byte:
        ld      a,(de)
        ld      c,(hl)
        ld      (hl),a
        ld      a,c
        ld      (de),a
        inc     hl
        inc     de
        djnz    sw_byte
        ret

; Sign and exponent of a product (C = 0) or quotient (C = 1): FP_EXP = FA's
; exponent +/- FB's - or + 80h, FA's sign = the result's; clears FT.
; Returns Z (and FA zero) when FA is zero.
mul_div_start:
        ld      a,(FB + 9)
        ld      hl,FA + 9
        xor     (hl)
        ld      (hl),a
        ld      hl,FT
        call    zero_reg
        ld      a,(FA + 8)
        ld      l,a
        ld      h,0
        ld      a,(FB + 8)
        ld      e,a
        ld      d,h
        dec     c
        jr      z,mds_div
        add     hl,de
        ld      de,-80h
        jr      mds_set
mds_div:
        or      a
        sbc     hl,de
        ld      de,80h
mds_set:
        add     hl,de
        ld      (FP_EXP),hl
        ld      a,(FA + 8)
        or      a
        ret

; Puts FT, with exponent FP_EXP, into FA; normalises by one bit when its
; top bit is clear. ?OV above the largest exponent; zero below the least.
mul_div_end:
        ld      hl,FT
        ld      de,FA
        ld      bc,8
        ldir
        ld      hl,(FP_EXP)
        ld      a,(FA + 7)
        or      a
        jp      m,mde_check
        dec     hl
        push    hl
        call    fa_lo
        or      a
        call    m_shl
        pop     hl
mde_check:
        ld      a,h
        or      a
        jr      z,mde_fits
        jp      p,ov_error
        jp      fa_zero
mde_fits:
        ld      a,l
        or      a
        jp      z,fa_zero
        ld      (FA + 8),a
        ret

; FA = FA * FB.
fp_mul:
        ld      a,(FB + 8)
        or      a
        jp      z,fa_zero
        ld      a,(FA + 4)              ; the multiplier goes by bytes: the one
        or      a                       ; with fewer of them takes that part
        jr      nz,fm_order
        ld      a,(FA + 5)
        or      a
        call    z,swap_regs
fm_order:
        ld      c,0
        call    mul_div_start
        ret     z
        ld      hl,FB
        call    reg_lo                  ; FB's bytes, low first
fm_byte:
        push    bc
        push    hl
        ld      c,(hl)
        ld      a,c
        or      a
        jr      z,fm_zero
        ld      b,8
fm_bit:
        rr      c
        push    bc
        call    c,ft_add_fa
        ld      hl,FT + 7
        call    m_shr
        pop     bc
        djnz    fm_bit
        jr      fm_next
fm_zero:
        ld      hl,FT
        call    m_shr8
fm_next:
        pop     hl
        pop     bc
        inc     hl
        djnz    fm_byte
        jr      mul_div_end

; FT += FA. Carry out.
ft_add_fa:
        ld      hl,FA
        call    reg_lo
        ex      de,hl
        ld      hl,FT
        call    reg_lo
        jp      m_add

; FA = FA / FB. ?/0 when FB is zero.
fp_div:
        ld      a,(FB + 8)
        or      a
        jr      nz,fd_start
        ld      e,ERR_DIV0
        jp      basic_error
fd_start:
        ld      c,1
        call    mul_div_start
        ret     z
        ld      hl,(FP_EXP)
        inc     hl                      ; a quotient bit above the point
        ld      (FP_EXP),hl
        ld      a,(FP_LEN)
        add     a,a
        add     a,a
        add     a,a
        ld      c,a
        ld      b,0                     ; B = the bit shifted out of FA
fd_bit:
        push    bc
        call    fa_fb_lo
        call    m_sub
        pop     bc
        jr      nc,fd_one
        dec     b
        jr      z,fd_one_b
        inc     b
        push    bc
        call    fa_fb_lo
        call    m_add
        pop     bc
        or      a
        jr      fd_quot
fd_one_b:
        inc     b
fd_one:
        scf
fd_quot:
        push    bc
        push    af
        ld      hl,FT
        call    reg_lo
        pop     af
        call    m_shl
        call    fa_lo
        or      a
        call    m_shl
        pop     bc
        ld      b,0
        rl      b
        dec     c
        jr      nz,fd_bit
        jp      mul_div_end

