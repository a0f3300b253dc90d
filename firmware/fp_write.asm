; ---------------------------------------------------------------------------
; Numbers as text, as PRINT, STR$ and PRINT USING write them.
; ---------------------------------------------------------------------------

; Writes the accumulator (a number) as PRINT shows it: a blank or '-',
; then the number, in exponent form when it is below 0.01 or has more
; whole digits than the type shows (6 single, 16 double). Returns HL =
; NUM_BUF holding the text and 00h, B = its length.
num_text:
        call    num_start
        ld      de,NUM_BUF
        ld      (de),a
        inc     de
        ld      a,'0'
        jr      z,nt_last
        push    de
        call    fa_digits
        ld      a,(NT_DIGITS)
        call    dig_round
        pop     de
        ld      hl,nt_end               ; each form ends there
        push    hl
        ld      hl,DIG
        ld      a,(NT_E)
        ld      b,a
        inc     b                       ; B = where the point goes
        or      a
        jp      m,nt_small
        ld      a,(NT_DIGITS)
        cp      b
        jr      nc,nt_put_digits
nt_exp_form:
        ld      b,1
        call    nt_put_digits
        ld      a,(NT_E)
        jr      put_exp
nt_small:
        cp      -2
        jr      c,nt_exp_form
        ld      a,'.'
        ld      (de),a
        inc     de
        inc     b                       ; .0 before the digits of 0.0x
        dec     b
        ld      a,'0'
        call    nz,npd_put
        jr      npd_rest
nt_last:
        ld      (de),a
        inc     de
; Ends the text at DE in NUM_BUF. Returns HL = NUM_BUF, B = its length.
nt_end:
        xor     a
        ld      (de),a
        ld      a,e
        sub     NUM_BUF and 0FFh
        ld      b,a
        ld      hl,NUM_BUF
        ret

; Writes B digits (zeros once the C digits at HL run out), then, when
; digits remain, a point and the rest; at DE.
nt_put_digits:
        call    npd_one
        djnz    nt_put_digits
        ret     z                       ; Z: no digits left
        ld      a,'.'
        ld      (de),a
        inc     de
npd_rest:
        call    npd_one
        jr      nz,npd_rest
        ret
; Returns Z when no digits remain.
npd_one:
        ld      a,c
        or      a
        ld      a,'0'
        jr      z,npd_put
        ld      a,(hl)
        add     a,'0'
        inc     hl
        dec     c
npd_put:
        ld      (de),a
        inc     de
        ret

; Writes the exponent A at DE: E (D for a double), its sign, two digits.
put_exp:
        ld      c,a
        ld      a,(VALUE_TYPE)
        cp      T_DBL                   ; carry below double: E, not D
        ld      a,'D'
        adc     a,0
        ld      (de),a
        inc     de
        ld      a,c
        ld      c,'+'
        or      a
        jp      p,pe_sign
        neg
        ld      c,'-'
pe_sign:
        ex      de,hl
        ld      (hl),c
        inc     hl
        ld      c,'0' - 1
pe_tens:
        inc     c
        sub     10
        jr      nc,pe_tens
        ld      (hl),c
        inc     hl
        add     a,'0' + 10
        ld      (hl),a
        inc     hl
        ex      de,hl
        ret

; Takes the accumulator (a number) apart for writing: NT_DIGITS = the
; digits its type shows, FA = its size at the type's precision. Returns
; A = its sign as text (blank or '-'), B = 80h for a minus (else 0), Z
; when it is zero.
num_start:
        ld      a,(VALUE_TYPE)
        ld      c,6
        cp      T_DBL
        jr      nz,ns_set
        ld      c,16
ns_set:
        call    set_prec
        ld      a,c
        ld      (NT_DIGITS),a
        call    acc_to_fa
        ld      hl,FA + 9
        ld      a,(hl)
        ld      b,a
        ld      (hl),0
        or      a
        ld      a,' '
        jr      z,ns_plus
        ld      a,'-'
ns_plus:
        dec     hl                      ; the exponent
        inc     (hl)
        dec     (hl)
        ret

; The digits of FA (above zero): DIG = one more than NT_DIGITS, not
; rounded, the first not 0; NT_E = the power of ten of the first. Uses FS1.
fa_digits:
        ld      hl,FA
        ld      de,FS1
        call    copy_reg
        ld      a,(FA + 8)              ; the power of ten below it, near
        sub     81h                     ; enough: (exponent - 1) * 77 / 256
        ld      l,a
        rla
        sbc     a,a
        ld      h,a
        ld      d,h
        ld      e,l
        add     hl,hl
        add     hl,hl
        add     hl,hl
        add     hl,de
        add     hl,hl
        add     hl,de
        add     hl,hl
        add     hl,hl
        add     hl,de
        ld      a,h
fd_scale:                               ; x / 10^(E+1): below 1
        ld      (NT_E),a
        ld      hl,FS1
        ld      de,FA
        call    copy_reg                ; keeps A
        cpl
        ld      l,a
        rla
        sbc     a,a
        ld      h,a
        call    fa_scale10
        ld      a,(FA + 8)
        cp      81h
        ld      a,(NT_E)
        inc     a
        jr      nc,fd_scale
        ld      a,T_DBL                 ; the fraction, 64 bits in FT
        call    set_prec
        ld      hl,FA
        ld      de,FT
        ld      bc,8
        ldir
        xor     a
        ld      (de),a
        ld      a,(FA + 8)              ; at least 0.09: a few places right
fd_shift:
        cp      80h
        jr      z,fd_digits
        push    af
        ld      hl,FT + 7
        or      a
        call    m_shr
        pop     af
        inc     a
        jr      fd_shift
fd_digits:
        ld      hl,DIG
        ld      a,(NT_DIGITS)
        ld      b,a
        inc     b
fd_digit:
        push    bc
        push    hl
        call    ft_times10
        pop     hl
        pop     bc
        ld      a,(FT + 8)
        ld      (hl),a
        or      a
        jr      nz,fd_kept
        ld      a,l                     ; a leading zero: one place less
        cp      DIG and 0FFh
        jr      nz,fd_kept
        push    hl
        ld      hl,NT_E
        dec     (hl)
        pop     hl
        jr      fd_digit
fd_kept:
        xor     a
        ld      (FT + 8),a
        inc     hl
        djnz    fd_digit
        ret

; Rounds DIG to A digits (A <= 0: none are kept). Returns C = the digits
; up to the last that is not 0 (0 when the number rounds to 0). Keeps B.
dig_round:
        ld      c,0
        or      a
        ret     m
        ld      c,a
        ld      hl,DIG                  ; DIG does not cross a page
        add     a,l
        ld      l,a
        ld      a,(hl)
        cp      5
        jr      c,dr_trim
dr_up:
        ld      a,l
        cp      DIG and 0FFh
        jr      z,dr_carry
        dec     hl
        inc     (hl)
        ld      a,(hl)
        sub     10
        jr      c,dr_trim
        ld      (hl),a
        jr      dr_up
dr_carry:                               ; 999.. became 1000..
        ld      (hl),1
        ld      c,1
        ld      hl,NT_E
        inc     (hl)
dr_trim:
        ld      a,c
        or      a
        ret     z
        ld      hl,DIG - 1
        add     a,l
        ld      l,a
dr_zero:
        ld      a,(hl)
        or      a
        ret     nz
        dec     hl
        dec     c
        jr      dr_zero
