; ---------------------------------------------------------------------------
; Numbers as text: reading them (constants, INPUT, READ, VAL) and writing
; them as PRINT does.
; ---------------------------------------------------------------------------

PN_FLAGS        equ     FT + FREG       ; not 0 after a point or exponent
PN_DIGITS       equ     PN_FLAGS + 1    ; significant digits taken
PN_DEXP         equ     PN_FLAGS + 2    ; powers of ten still to apply (16 bits)
PN_TYPE         equ     PN_FLAGS + 4    ; type asked for by the text, 0 none
NT_DIGITS       equ     41D6h           ; digits the type shows: 6 or 16
NT_E            equ     41D7h           ; the power of ten of the first digit
DIG             equ     FS1             ; the digits, the first first (17)

; Reads a number: an optional sign, digits with an optional point, an
; exponent (E for single, D for double precision) and a type suffix
; (% ! #). Takes HL at it (blanks before it skipped). Returns the number
; in the accumulator, HL past it. A constant with more than 7 digits is
; double precision; one without point or exponent in the integer range
; is an integer.
parse_number:
        push    hl
        ld      hl,FT                   ; FT and the PN_ counts
        ld      b,FREG + 5
        call    zr_byte
        pop     hl
        call    skip_sp
        call    read_sign
        ld      a,b                     ; the digits never reach FT + 9
        ld      (FT + 9),a
        ld      a,T_DBL
        call    set_prec
pn_char:
        ld      a,(hl)
        cp      '.'
        jr      z,pn_point
        sub     '0'
        cp      10
        jr      nc,pn_other
        push    hl
        call    pn_digit
        pop     hl
        inc     hl
        jr      pn_char
pn_point:
        ld      a,(PN_FLAGS)
        or      a
        jr      nz,pn_end
        dec     a
        ld      (PN_FLAGS),a
        inc     hl
        jr      pn_char
pn_other:
        ld      a,(hl)
        ld      c,T_SNG
        cp      'E'
        jr      z,pn_exp
        cp      '!'
        jr      z,pn_suffix
        ld      c,T_DBL
        cp      'D'
        jr      z,pn_exp
        cp      '#'
        jr      z,pn_suffix
        ld      c,T_INT
        cp      '%'
        jr      nz,pn_end
pn_suffix:
        inc     hl
        ld      a,c
        ld      (PN_TYPE),a
        jr      pn_end
pn_exp:
        ld      a,c
        ld      (PN_TYPE),a
        ld      (PN_FLAGS),a
        inc     hl
        ld      a,(hl)
        call    read_sign
        call    parse_uint              ; keeps B
        jr      c,px_big
        ld      a,d
        or      a
        jr      nz,px_big
        ld      a,e
        cp      200
        jr      c,px_done
px_big:                                 ; beyond any number's range
        call    parse_uint              ; past the rest of a long exponent
        jr      c,px_big
        ld      de,200
px_done:
        push    hl
        ex      de,hl
        ld      a,b
        or      a
        call    nz,negate_hl
        ld      de,(PN_DEXP)
        add     hl,de
        ld      (PN_DEXP),hl
        pop     hl
pn_end:
        push    hl
        ld      a,(PN_TYPE)
        or      a
        jr      nz,pn_float
        ld      hl,(PN_FLAGS)           ; H = PN_DIGITS
        ld      a,h
        cp      8
        ld      a,T_DBL
        jr      nc,pn_float
        ld      a,l                     ; an integer: no point or exponent,
        or      a                       ; five digits at most, below 32768
        jr      nz,pn_single
        ld      a,h
        cp      6
        jr      nc,pn_single
        ld      hl,(FT + 1)             ; FT + 2 is 0 or 1 here
        add     hl,hl
        ld      a,h
        or      a
        jr      nz,pn_single
        ld      hl,(FT)
        ld      a,(FT + 9)
        or      a
        call    nz,negate_hl
        ex      de,hl
        call    set_int
        pop     hl
        ret
pn_single:
        ld      a,T_SNG
pn_float:
        push    af
        ld      hl,FT + 8               ; FT + 9 holds the sign
        ld      (hl),80h + 64
        ld      l,FT and 0FFh
        ld      de,FA
        call    copy_reg
        call    fa_normalize
        pop     af                      ; a single scales in single precision
        push    af
        cp      T_DBL
        jr      z,pn_scale
        call    set_prec
        ld      hl,FA                   ; the bytes below 32 bits go
        ld      b,4
        call    zr_byte
pn_scale:
        ld      hl,(PN_DEXP)
        call    fa_scale10
        pop     af                      ; 5% is the integer asked for
        call    fa_to_acc
        pop     hl
        ret

; Reads a sign: '-', '+' or their tokens. Takes A = the character at HL.
; Returns B = 80h for a minus, else 0; HL past the sign.
read_sign:
        ld      b,80h
        cp      '-'
        jr      z,rs_past
        cp      TOK_MINUS
        jr      z,rs_past
        ld      b,0
        cp      '+'
        jr      z,rs_past
        cp      TOK_PLUS
        ret     nz
rs_past:
        inc     hl
        ret

; Takes digit A into the number being read.
pn_digit:
        ld      c,a
        ld      a,(PN_DIGITS)
        cp      19
        jr      nc,pd_dropped
        or      c
        jr      z,pd_place              ; a leading zero
        push    bc
        call    ft_times10
        pop     bc
        ld      hl,FT
        ld      a,(hl)
        add     a,c
        ld      (hl),a
        jr      nc,pd_taken
pd_carry:
        inc     hl
        inc     (hl)
        jr      z,pd_carry
pd_taken:
        ld      hl,PN_DIGITS
        inc     (hl)
pd_place:
        ld      a,(PN_FLAGS)            ; after the point: a tenth
        or      a
        ret     z
        ld      hl,(PN_DEXP)
        dec     hl
pd_store:
        ld      (PN_DEXP),hl
        ret
pd_dropped:                             ; beyond the digits kept
        ld      a,(PN_FLAGS)
        or      a
        ret     nz
        ld      hl,(PN_DEXP)
        inc     hl
        jr      pd_store

; FT = FT * 10: 64 bits, the overflow in FT + 8.
ft_times10:
        ld      hl,FT
        ld      de,FS3
        push    de
        push    hl
        call    copy_reg
        call    ft_shl
        call    ft_shl
        pop     hl
        pop     de
        ld      b,9
        call    m_add
ft_shl:
        ld      hl,FT
        ld      b,9
        or      a
        jp      m_shl

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

