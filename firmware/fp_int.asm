; ---------------------------------------------------------------------------
; Floating point: comparing, whole parts, conversion to integers.
; ---------------------------------------------------------------------------

; Compares FA with FB. Returns A = 1 when FA < FB, 2 when equal, 4 when
; FA > FB.
fp_cmp:
        ld      hl,FB + 9
        ld      a,(FA + 9)
        ld      c,a                     ; FA's sign
        xor     (hl)
        dec     hl
        jp      p,fc_same
        ld      a,(FA + 8)              ; two zeros may differ in sign only
        or      (hl)
        ld      a,2
        ret     z
        ld      a,c
        jr      fc_sign
fc_same:
        ld      de,FA + 8
        ld      b,9
fc_byte:
        ld      a,(de)
        cp      (hl)
        jr      nz,fc_differ
        dec     hl
        dec     de
        djnz    fc_byte
        ld      a,2
        ret
fc_differ:                              ; carry: FA's magnitude is smaller
        sbc     a,a
        xor     c
fc_sign:                                ; A bit 7: FA is the lesser
        rla
        ld      a,1
        ret     c
        ld      a,4
        ret

; Drops FA's fraction (rounds toward zero). Returns NZ when the fraction
; was not zero. Keeps D.
fp_trunc:
        ld      a,(FA + 8)
        cp      81h
        jr      nc,ft_whole
        or      a                       ; below 1: zero
        jp      fa_zero
ft_whole:
        sub     80h                     ; A = bits before the point
        ld      hl,FA + 7
        ld      b,8
ft_byte:
        sub     8
        jr      c,ft_part
        dec     hl
        djnz    ft_byte
        xor     a
        ret
ft_part:                                ; A + 8 bits of this byte stay
        neg                             ; A = bits to drop: 1..8
        ld      e,a
        ld      a,0FFh
ft_mask:
        add     a,a
        dec     e
        jr      nz,ft_mask
        ld      e,a
        cpl
        and     (hl)
        ld      c,a                     ; the fraction's bits seen
        ld      a,e
        and     (hl)
        ld      (hl),a
        dec     b
        jr      z,ft_done
ft_rest:
        dec     hl
        ld      a,(hl)
        or      c
        ld      c,a
        ld      (hl),0
        djnz    ft_rest
ft_done:
        ld      a,c
        or      a
        ret

; FA = the largest whole number not above FA.
fp_floor:
        ld      a,(FA + 9)
        ld      d,a
        call    fp_trunc
        ret     z
        bit     7,d
        ret     z
; FA = FA - 1.
fa_dec:
        ld      a,1
; FA = FA - A (A = 0..255).
fa_sub_byte:
        call    fb_byte
        jp      fp_sub

; FB = 10; FB = A (0..255). Keeps FA.
fb_ten:
        ld      a,10
fb_byte:
        push    af
        call    swap_regs
        pop     af
        call    fa_byte
        jp      swap_regs

; Converts FA to a 16-bit integer in DE after rounding it down. Takes
; A = 0 for the signed range, 1 to allow 32768..65535 as well (addresses).
; ?OV outside.
fa_to_int:
        push    hl
        push    af
        call    fp_floor
        pop     bc                      ; B = 1: addresses
        ld      hl,(FA + 6)             ; the top 16 bits (0 for zero)
        ld      a,(FA + 8)
        or      a
        jr      z,fti_shifted
        sub     80h + 17
        jp      nc,ov_error
fti_shift:
        inc     a
        jr      z,fti_shifted
        srl     h
        rr      l
        jr      fti_shift
fti_shifted:
        ld      a,(FA + 9)
        or      a
        jp      p,fti_plus
        ld      b,a                     ; a negative is checked
        call    negate_hl
        ld      a,b
fti_plus:
        djnz    fti_check               ; addresses: any 16 bits
        jr      fti_done
fti_check:
        xor     h                       ; the sign must match
        jp      m,ov_error
fti_done:
        ex      de,hl
        pop     hl
        ret
