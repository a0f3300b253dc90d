; ---------------------------------------------------------------------------
; Floating point: comparing, whole parts, conversion to integers.
; ---------------------------------------------------------------------------

; Compares FA with FB. Returns A = 1 when FA < FB, 2 when equal, 4 when
; FA > FB.
fp_cmp:
        ld      a,(FA + 9)
        ld      hl,FB + 9
        xor     (hl)
        jp      p,fc_same
        ld      a,(FA + 8)              ; two zeros may differ in sign only
        ld      hl,FB + 8
        or      (hl)
        ld      a,2
        ret     z
        ld      a,(FA + 9)
        jr      fc_sign
fc_same:
        ld      hl,FA + 8
        ld      de,FB + 8
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
fc_differ:                              ; carry: FA's magnitude is larger
        ld      a,(FA + 9)
        jr      c,fc_sign
        cpl
fc_sign:                                ; A bit 7: FA is the lesser
        rla
        ld      a,1
        ret     c
        ld      a,4
        ret

; Drops FA's fraction (rounds toward zero). Returns NZ when the fraction
; was not zero.
fp_trunc:
        ld      a,(FA + 8)
        sub     81h
        jr      nc,ft_whole
        ld      a,(FA + 8)              ; below 1: zero
        or      a
        push    af
        call    fa_zero
        pop     af
        ret
ft_whole:
        inc     a                       ; A = bits before the point
        ld      hl,FA + 7
        ld      c,0                     ; fraction bits seen
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
        or      c
        ld      c,a
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
        push    af
        call    fp_trunc
        pop     bc
        ret     z
        ld      a,b
        or      a
        ret     p
        ld      a,1
; FA = FA - A (A = 0..255).
fa_sub_byte:
        call    fb_byte
        jp      fp_sub

; FA = FA + A (A = 0..255).
fa_add_byte:
        call    fb_byte
        jp      fp_add

; FB = A (0..255). Keeps FA.
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
        ld      de,0
        ld      a,(FA + 8)
        or      a
        jr      z,fti_done
        sub     80h + 17
        jp      nc,ov_error
        ld      hl,(FA + 6)             ; the top 16 bits
fti_shift:
        inc     a
        jr      z,fti_shifted
        srl     h
        rr      l
        jr      fti_shift
fti_shifted:
        ex      de,hl
        ld      a,(FA + 9)
        or      a
        jp      m,fti_negative
        djnz    fti_signed              ; addresses: any 16 bits
        jr      fti_done
fti_signed:
        bit     7,d
        jp      nz,ov_error
fti_done:
        pop     hl
        ret
fti_negative:
        ex      de,hl
        call    negate_hl
        ex      de,hl
        bit     7,d
        jp      z,ov_error              ; beyond -32768
        jr      fti_done
