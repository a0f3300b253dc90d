; ---------------------------------------------------------------------------
; Numbers from text: constants, INPUT, READ and VAL (fp_write.asm writes
; them).
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
