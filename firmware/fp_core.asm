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
        add     a,a
sp_set:
        ld      (FP_LEN),a
        and     4                       ; 8 - A for 4 and 8
        ld      (FP_OFF),a
        ret

; HL = FA's lowest byte in use, DE = FB's, B = FP_LEN.
fa_fb_lo:
        ld      hl,FB
        call    reg_lo
        ex      de,hl
fa_lo:
        ld      hl,FA
; HL = the lowest byte in use of the register at HL, B = FP_LEN. Keeps DE;
; clears carry.
reg_lo:
        ld      a,(FP_OFF)
        add     a,l
        ld      l,a
        ld      a,(FP_LEN)
        ld      b,a
        ret

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
; at the top. Keeps C, DE.
m_shr:
        ld      a,(FP_LEN)
        ld      b,a
msr_byte:
        rr      (hl)
        dec     hl
        djnz    msr_byte
        ret

; Shifts the mantissa of the register at HL right by 8 bits. Keeps C, DE.
m_shr8:
        call    reg_lo
        dec     b
msr8_byte:
        inc     hl
        ld      a,(hl)
        dec     hl
        ld      (hl),a
        inc     hl
        djnz    msr8_byte
        ld      (hl),b
        ret

; Sets FA to the whole number A (0..255).
fa_byte:
        ld      e,a
        ld      d,0
; Sets FA to the signed integer DE. Keeps HL.
fa_int:
        bit     7,d
        jr      z,fa_uint
        ex      de,hl
        call    negate_hl
        ex      de,hl
        call    fa_uint
        ld      a,80h
        ld      (FA + 9),a
        ret
; Sets FA to the unsigned integer DE. Keeps HL.
fa_uint:
        push    hl
        call    fa_zero
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
        ex      de,hl
        call    fa_zero                 ; keeps A; B = 0
        ex      de,hl
        dec     a                       ; mantissa bytes: 3 or 7
        ld      c,a
        add     hl,bc                   ; the exponent
        ld      a,(hl)
        ld      (FA + 8),a
        or      a
        ret     z
        dec     hl                      ; the top byte holds the sign
        ld      a,(hl)
        and     80h
        ld      (FA + 9),a
        ld      de,FA + 7
        lddr
        ld      hl,FA + 7
        set     7,(hl)
        ret

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
        jp      z,swap_regs             ; 0 + FB
        ld      hl,FB + 8
        sub     (hl)
        jr      nc,fa_ordered
        push    af
        call    swap_regs               ; FA the larger in size
        pop     af
        neg
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
        ld      c,a
        ld      hl,FB
        call    m_shr8
        jr      fa_align8
fa_align1:
        ld      a,c
        or      a                       ; no carry in
        jr      z,fa_aligned
        ld      hl,FB + 7
        call    m_shr
        dec     c
        jr      fa_align1
fa_aligned:
        ld      a,(FA + 9)
        ld      hl,FB + 9
        xor     (hl)
        jp      m,fa_differ
        call    fa_fb_lo
        call    m_add
        ret     nc
        ld      hl,FA + 7               ; a carry: one place right
        scf
        call    m_shr
        ld      hl,FA + 8
        inc     (hl)
        ret     nz
        jp      ov_error
fa_differ:
        call    fa_fb_lo
        call    m_sub
        jr      nc,fa_normalize
        ld      hl,FA + 9               ; FB was the larger: negate
        ld      a,(hl)
        xor     80h
        ld      (hl),a
        call    fa_lo                   ; no carry
fa_neg_byte:
        ld      a,0
        sbc     a,(hl)
        ld      (hl),a
        inc     hl
        djnz    fa_neg_byte
; Normalises FA: shifts the mantissa left until its top bit is set. Zero
; when the mantissa is zero or the exponent falls below the smallest.
fa_normalize:
        call    fa_lo
        xor     a
nz_test:
        or      (hl)
        inc     hl
        djnz    nz_test
        jr      z,fa_zero
nz_loop:
        ld      hl,FA + 8
        ld      a,(FA + 7)
        or      a
        ret     m
        jr      nz,nz_bit
        ld      a,(hl)                  ; a byte left
        sub     8
        jr      c,fa_zero
        jr      z,fa_zero
        ld      (hl),a
        dec     hl
        ld      d,h
        ld      e,l
        dec     hl
        ld      bc,7
        lddr
        ex      de,hl
        ld      (hl),b
        jr      nz_loop
nz_bit:
        dec     (hl)                    ; a bit left
        jr      z,fa_zero
        call    fa_lo
        call    m_shl
        jr      nz_loop

fa_zero:
        ld      hl,FA
; Clears the register at HL (zero). Keeps A, DE and the flags; B = 0.
zero_reg:
        ld      b,FREG
zr_byte:
        ld      (hl),0
        inc     hl
        djnz    zr_byte
        ret

; Packs FA, rounded, into the value at HL of type A (4 or 8).
; ?OV when rounding carries past the largest exponent.
pack:
        push    hl
        dec     a
        ld      c,a                     ; mantissa bytes kept
        ld      b,0
        ld      hl,FA + 8
        ld      a,(hl)
        or      a
        jr      z,pk_zero
        sbc     hl,bc                   ; the lowest byte kept
        push    hl
        dec     hl                      ; the highest byte dropped
        bit     7,(hl)
        jr      z,pk_store
        ld      b,c                     ; round up
pk_carry:
        inc     hl
        inc     (hl)
        jr      nz,pk_store
        djnz    pk_carry
        ld      (hl),80h                ; 0.1111.. rounded to 1.000..
        inc     hl
        inc     (hl)
        jp      z,ov_error
pk_store:
        pop     hl
        pop     de                      ; DE = the value's place
        ld      b,0
        ldir
        ld      a,(hl)                  ; the exponent
        ld      (de),a
        dec     de
        inc     hl
        ld      a,(hl)                  ; the sign
        or      7Fh
        ex      de,hl
        and     (hl)
        ld      (hl),a
        ret
pk_zero:
        pop     hl
        ld      b,c
        inc     b
        jr      zr_byte

; Exchanges FA and FB; swap_fa: FA and the register at DE.
swap_regs:
        ld      de,FB
swap_fa:
        ld      hl,FA
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
; exponent +/- FB's - or + 80h (+1 for a quotient), FA's sign = the
; result's; clears FT. Returns Z when FA is zero.
mul_div_start:
        ld      a,(FB + 9)
        ld      hl,FA + 9
        xor     (hl)
        ld      (hl),a
        ld      hl,FT
        call    zero_reg                ; B = 0
        ld      hl,(FA + 8)
        ld      h,b
        ld      a,(FB + 8)
        xor     80h                     ; FB's exponent - 80h, signed
        dec     c
        jr      nz,mds_mul
        neg
        inc     hl                      ; a quotient bit above the point
mds_mul:
        ld      e,a
        rla
        sbc     a,a
        ld      d,a
        add     hl,de
        ld      (FP_EXP),hl
        ld      a,(FA + 8)
        or      a
        ret

; FA = FA * FB.
fp_mul:
        ld      hl,(FA + 4)             ; the multiplier goes by bytes: the one
        ld      a,h                     ; with fewer of them takes that part
        or      l
        call    z,swap_regs
        ld      a,(FB + 8)
        or      a
        jp      z,fa_zero
        ld      c,0
        call    mul_div_start
        ret     z
        ld      hl,FB
        call    reg_lo                  ; FB's bytes, low first
fm_byte:
        push    bc
        push    hl
        ld      a,(hl)
        or      a
        jr      z,fm_zero
        ld      c,a
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
        call    fa_lo
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
        ccf
        rl      b                       ; not zero: the quotient bit is 1
        jr      nz,fd_quot
        push    bc
        call    fa_fb_lo                ; put FB back: that carries
        call    m_add
        pop     bc
fd_quot:
        ccf                             ; carry = the quotient bit
        push    bc
        push    af
        ld      hl,FT
        call    reg_lo
        pop     af
        call    m_shl
        call    fa_lo
        call    m_shl
        pop     bc
        ld      b,0
        rl      b
        dec     c
        jr      nz,fd_bit
; Puts FT, with exponent FP_EXP, into FA; normalises by one bit when its
; top bit is clear.
mul_div_end:
        ld      hl,FT
        ld      de,FA
        ld      bc,8
        ldir
        ld      hl,(FP_EXP)
        ld      a,(FA + 7)
        rla
        jr      c,set_exp_hl
        dec     hl
        push    hl
        call    fa_lo
        call    m_shl
        pop     hl
; FA's exponent = HL: ?OV above the largest, zero below the least.
set_exp_hl:
        ld      a,h
        or      a
        jp      m,fa_zero
        jp      nz,ov_error
        or      l
        jp      z,fa_zero
        ld      (FA + 8),a
        ret
