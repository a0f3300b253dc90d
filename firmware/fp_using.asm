; ---------------------------------------------------------------------------
; PRINT USING format; items. Each item fills the next field of the format
; (the format starts over when it runs out); the text between fields is
; shown as it stands. Fields: ! (a string's first character), %  % (as
; many characters as the field is wide), & (the whole string), and
; numbers: # digits, . the point, , thousands, ** star fill, $$ a dollar
; sign, ^^^^ exponent form, + a sign in front or behind, - a minus behind.
; ---------------------------------------------------------------------------

US_POS          equ     40EBh           ; the next character of the format
US_FLAGS        equ     40ECh           ; what the number field asks for
US_LEFT         equ     40EDh           ; places before the point
US_RIGHT        equ     40EEh           ; digits after it
US_COUNT        equ     40EFh           ; digits of the number that are not 0
US_SIGN         equ     40F0h           ; bit 7 negative, bit 0 a 0 before the point
US_WIDTH        equ     4090h           ; characters of the number field
US_DESC         equ     41E5h           ; the format's descriptor

UF_COMMA        equ     0               ; bits of US_FLAGS
UF_STAR         equ     1
UF_DOLLAR       equ     2
UF_LEAD         equ     3
UF_PLUS         equ     4
UF_MINUS        equ     5
UF_EXP          equ     6
UF_POINT        equ     7
UM_STAR         equ     02h
UM_SIGNS        equ     38h             ; a sign in front or behind
UM_TRAIL        equ     30h

; Takes HL at USING.
using_stmt:
        inc     hl
        call    eval_str
        ld      (US_DESC),de
        ld      a,(de)
        or      a
        jp      z,fc_error
        rst     08h
        db      ';'
        xor     a
        ld      (US_POS),a
us_item:
        ld      c,0                     ; the format has not started over
        call    us_scan
        push    af
        call    eval
        pop     af
        push    hl
        jr      c,us_num
        ld      b,a                     ; the width
        call    get_str
        ex      de,hl
        ld      c,(hl)                  ; C = the length, HL = the text
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        inc     b
        dec     b
        jr      nz,us_count
        ld      b,c                     ; &: all of it, maybe nothing
us_count:
        inc     b
        jr      us_test
us_chars:                               ; B characters, blanks after the C
        ld      a,c
        or      a
        ld      a,' '
        jr      z,us_blank
        ld      a,(hl)
        inc     hl
        dec     c
us_blank:
        call    out_char
us_test:
        djnz    us_chars
        jr      us_next
us_num:
        call    us_number
us_next:
        pop     hl
        ld      a,(hl)
        cp      ';'
        jr      z,us_more
        cp      ','
        jr      nz,us_end
us_more:
        call    skip_sp_next
        call    at_stmt_end
        jr      nz,us_item
        ret                             ; ends with ; or ,: no new line
us_end:
        ld      c,2                     ; the text up to the next field
        call    us_scan
        jp      pr_newline

; Shows the format's text up to the next field; starts over at the end.
; Takes C = 0 (C = 2: stop at the end instead). Returns carry for a
; number field (US_FLAGS, US_LEFT, US_RIGHT), else A = the string field's
; width: 1 for !, that of %..%, 0 for & (all). ?FC when the format has no
; field at all. Keeps HL.
us_scan:
        push    hl
usc_loop:
        call    us_char
        jr      c,usc_char
        ld      a,c
        cp      1
        jp      z,fc_error              ; round once already
        jr      nc,usc_ret
        inc     c
        xor     a
        ld      (US_POS),a
        jr      usc_loop
usc_char:
        ld      d,a                     ; D = the character
        ld      e,1
        cp      '!'
        jr      z,usc_field
        dec     e
        cp      '&'
        jr      z,usc_field
        cp      '%'
        jr      z,usc_percent
        ld      a,b                     ; the next character, if any
        dec     a
        inc     hl
        ld      a,(hl)
        jr      nz,usc_next
        xor     a
usc_next:
        ld      e,a
        ld      a,d
        cp      '#'
        jr      z,us_field
        cp      '*'
        jr      z,usc_same
        cp      '$'
        jr      z,usc_same
        cp      '+'
        jr      z,usc_plus
        cp      '.'
        jr      nz,usc_literal
usc_hash:                               ; .# and +#
        ld      a,'#'
usc_same:                               ; ** and $$
        cp      e
        jr      z,us_field
usc_literal:
        ld      a,d
        call    out_char
        call    us_advance
        jr      usc_loop
usc_percent:                            ; % blanks %
        ld      e,1
usc_blanks:
        inc     e
        inc     hl
        dec     b
        jr      z,usc_literal
        ld      a,(hl)
        cp      ' '
        jr      z,usc_blanks
        cp      '%'
        jr      nz,usc_literal
        ld      a,(US_POS)              ; past all but the last character
        add     a,e
        dec     a
        ld      (US_POS),a
usc_field:
        call    us_advance
        ld      a,e
        or      a                       ; no carry: a string field
usc_ret:
        pop     hl
        ret
usc_plus:
        ld      a,e
        cp      '*'
        jr      z,us_field
        cp      '$'
        jr      z,us_field
        cp      '.'
        jr      nz,usc_hash
; Reads a number field. Returns A = 4.
us_field:
        ld      a,(US_POS)              ; the field is as wide as it is long
        ld      (US_WIDTH),a
        ld      hl,0
        ld      (US_LEFT),hl            ; and US_RIGHT
        ld      d,l                     ; D = the flags
        call    us_char
        cp      '+'
        jr      nz,usf_fill
        set     UF_LEAD,d
        call    us_step
usf_fill:
        cp      '*'
        jr      nz,usf_dollar
        set     UF_STAR,d
        call    us_two
usf_dollar:
        cp      '$'
        jr      nz,usf_digits
        set     UF_DOLLAR,d
        call    us_one
        bit     UF_STAR,d
        call    z,us_one                ; $$: two places
usf_digits:
        call    us_char
usf_digit:
        jr      nc,usf_done
        cp      ','
        jr      nz,usf_hash
        set     UF_COMMA,d
        jr      usf_place
usf_hash:
        cp      '#'
        jr      nz,usf_point
usf_place:
        call    us_one
        jr      usf_digit
usf_point:
        cp      '.'
        jr      nz,usf_exp
        set     UF_POINT,d
usf_fraction:
        call    us_step
        jr      nc,usf_done
        cp      '#'
        jr      nz,usf_exp
        ld      hl,US_RIGHT
        inc     (hl)
        jr      usf_fraction
usf_exp:                                ; ^^^^: four up arrows
        ld      a,b
        cp      4
        jr      c,usf_sign
        ld      b,4
usf_arrow:
        ld      a,(hl)
        inc     hl
        cp      CH_UP_ARROW
        jr      nz,usf_sign
        djnz    usf_arrow
        set     UF_EXP,d
        ld      b,4
usf_skip:
        call    us_advance
        djnz    usf_skip
usf_sign:
        bit     UF_LEAD,d
        jr      nz,usf_done
        call    us_char
        jr      nc,usf_done
        cp      '+'
        jr      nz,usf_minus
        set     UF_PLUS,d
        jr      usf_trail
usf_minus:
        cp      '-'
        jr      nz,usf_done
        set     UF_MINUS,d
usf_trail:
        call    us_advance
usf_done:
        ld      a,d
        ld      (US_FLAGS),a
        ld      hl,US_WIDTH
        ld      a,(US_POS)
        sub     (hl)
        ld      (hl),a
        scf                             ; a number field
        pop     hl                      ; us_scan's
        ret
; US_POS + 1. Keeps BC, DE, A and the carry.
us_advance:
        ld      hl,US_POS
        inc     (hl)
        ret

; Two places (and two characters) more; one; none (us_step): then as
; us_char.
us_two:
        call    us_one
us_one:
        ld      hl,US_LEFT
        inc     (hl)
us_step:
        ld      hl,US_POS
        inc     (hl)
; A = the format's character at US_POS, HL at it, B = the characters left
; from there; no carry (A = 0) past the end. Keeps C, DE.
us_char:
        push    de
        ld      hl,(US_DESC)
        ld      a,(US_POS)
        ld      e,a
        ld      a,(hl)
        sub     e
        jr      z,uc_none
        jr      c,uc_none               ; +* runs one past it
        ld      b,a
        inc     hl
        ld      a,(hl)
        inc     hl
        ld      h,(hl)
        ld      l,a
        ld      d,0
        add     hl,de
        ld      a,(hl)
        pop     de
        scf
        ret
uc_none:
        xor     a
        pop     de
        ret

; Shows the accumulator (a number) in the field just read.
us_number:
        call    acc_is_zero             ; ?TM for a string
        call    num_start
        ld      a,b
        ld      (US_SIGN),a
        ld      c,0
        jr      z,usn_zero
        call    fa_digits
        ld      a,(US_FLAGS)
        bit     UF_EXP,a
        jr      z,usn_fixed
        and     UM_SIGNS                ; exponent form: the whole places
        ld      a,(US_LEFT)             ; hold the first digits; without a
        jr      nz,usn_whole            ; sign field one is for the sign
        dec     a
usn_whole:
        ld      b,a
        ld      hl,US_RIGHT
        add     a,(hl)
        call    dig_round
        dec     b
        ld      hl,NT_E
        ld      a,(hl)
        sub     b
        ld      (US_DESC + 2),a         ; the exponent shown
        ld      (hl),b
        jr      usn_build
usn_fixed:
        ld      a,(NT_E)                ; round after the last place shown
        inc     a
        ld      hl,US_RIGHT
        add     a,(hl)
        jp      m,usn_round
        ld      hl,NT_DIGITS
        cp      (hl)
        jr      c,usn_round
        ld      a,(hl)
usn_round:
        call    dig_round
        jr      usn_build
usn_zero:
        xor     a
        ld      (NT_E),a
        ld      (US_DESC + 2),a
usn_build:
        ld      a,c
        ld      (US_COUNT),a
        ld      hl,US_SIGN              ; a 0 before the point when it fits
        inc     (hl)
        call    usn_text
        ld      a,c
        cp      b
        jr      nc,usn_fit
        ld      hl,US_SIGN
        dec     (hl)
        call    usn_text
usn_fit:
        ld      a,c                     ; C = the width, B = the length
        sub     b
        jr      nc,usn_fill
        ld      a,'%'
        call    out_char
        xor     a
usn_fill:
        ld      b,a
        inc     b
        ld      a,(US_FLAGS)
        and     UM_STAR
        ld      a,' '
        jr      z,usn_test
        ld      a,'*'
        jr      usn_test
usn_pad:
        call    out_char
usn_test:
        djnz    usn_pad                 ; out_char keeps HL = NUM_BUF
        jp      print_text

; Writes the number into NUM_BUF. Returns HL = NUM_BUF, B = its length,
; C = the field's width.
usn_text:
        ld      de,NUM_BUF
        ld      hl,US_FLAGS
        ld      a,(US_SIGN)
        ld      c,a                     ; C = US_SIGN throughout
        ld      a,'+'
        bit     UF_LEAD,(hl)
        jr      nz,ut_sign
        ld      a,(hl)                  ; no sign field: a minus only
        and     UM_TRAIL
        jr      nz,ut_dollar
ut_sign:
        call    ut_sign_put
ut_dollar:
        bit     UF_DOLLAR,(hl)
        jr      z,ut_whole
        ld      a,'$'
        ld      (de),a
        inc     de
ut_whole:
        ld      a,(NT_E)
        or      a
        jp      p,ut_digits
        bit     0,c                     ; 0 before the point
        jr      z,ut_point
        xor     a
ut_digits:                              ; A = the power of the digit
        call    dig_put
        or      a
        jr      z,ut_point
        ld      b,a
        bit     UF_COMMA,(hl)           ; a comma before each group of 3
        jr      z,ut_next
ut_three:
        sub     3
        jr      c,ut_next
        jr      nz,ut_three
        ld      a,','
        ld      (de),a
        inc     de
ut_next:
        ld      a,b
        dec     a
        jr      ut_digits
ut_point:
        bit     UF_POINT,(hl)
        jr      z,ut_exp
        ld      a,'.'
        ld      (de),a
        inc     de
        ld      a,(US_RIGHT)
        or      a
        jr      z,ut_exp
        ld      b,a
        ld      a,-1
ut_fraction:
        call    dig_put
        dec     a
        djnz    ut_fraction
ut_exp:
        bit     UF_EXP,(hl)
        jr      z,ut_trail
        ld      a,(US_DESC + 2)
        push    hl
        push    bc
        call    put_exp
        pop     bc
        pop     hl
ut_trail:
        ld      a,' '
        bit     UF_MINUS,(hl)
        jr      nz,ut_trail_sign
        ld      a,'+'
        bit     UF_PLUS,(hl)
ut_trail_sign:
        call    nz,ut_sign_put
        call    nt_end                  ; B = the length
        ld      a,(US_WIDTH)
        ld      c,a
        ret

; Writes A at DE, '-' instead when C bit 7 says negative; nothing for a
; positive number when A = 0.
ut_sign_put:
        bit     7,c
        jr      z,usp_char
        ld      a,'-'
usp_char:
        or      a
        ret     z
        ld      (de),a
        inc     de
        ret

; Writes the digit at the power of ten A at DE, as a character. Keeps A,
; BC, HL.
dig_put:
        push    af
        push    hl
        ld      hl,NT_E
        sub     (hl)
        neg                             ; its place among the digits
        ld      hl,US_COUNT
        cp      (hl)                    ; unsigned: places before the first too
        jr      nc,dp_zero
        ld      hl,DIG
        add     a,l
        ld      l,a
        ld      a,(hl)
        jr      dp_char
dp_zero:
        xor     a
dp_char:
        add     a,'0'
        ld      (de),a
        inc     de
        pop     hl
        pop     af
        ret
