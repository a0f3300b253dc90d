; ---------------------------------------------------------------------------
; The body of the SYSTEM command (entry 02B2h in cassette.asm), which does
; not fit the cassette area; it goes where the layout has room, before 28A7h.
; ---------------------------------------------------------------------------

; ---------------------------------------------------------------------------
; SYSTEM: prompts "*? "; a name (up to six characters, a prefix of the
; tape's name; none takes the first tape) loads a machine-code tape, "/"
; jumps to the entry address of the tape loaded, "/" and a decimal number
; jumps there. BREAK returns to READY. A checksum error shows "C" in
; place of the left star and prompts again, so the tape can be rewound.
; ---------------------------------------------------------------------------
system_body:
        ld      de,0                    ; no entry address yet
sys_prompt:
        push    de
        call    fresh_line
        call    print_inline
        db      '*? ', 0
        ld      hl,(INPUT_BUF_PTR)
        ld      b,6
        call    input_line
        pop     de
        jp      c,ready_entry
        ld      a,(hl)
        cp      '/'
        jr      z,sys_go
        push    de
        call    sys_load
        pop     hl                      ; the old entry address
        jr      nc,sys_prompt
        ex      de,hl                   ; a bad tape keeps it
        jr      sys_prompt

sys_go:
        inc     hl
        ld      a,(hl)
        cp      CH_ENTER
        jr      z,sys_jump
        ld      de,0                    ; decimal digits up to the end
sys_digit:
        ld      a,(hl)
        sub     '0'
        cp      10
        jr      nc,sys_jump
        inc     hl
        push    hl
        ld      h,d
        ld      l,e
        add     hl,hl
        add     hl,hl
        add     hl,de
        add     hl,hl
        ld      e,a
        ld      d,0
        add     hl,de
        ex      de,hl
        pop     hl
        jr      sys_digit
sys_jump:
        ld      a,d
        or      e
        jr      z,sys_prompt            ; nothing to jump to
        ex      de,hl
        jp      (hl)

; Loads one SYSTEM tape: 55h, six name characters, then 3Ch blocks
; (count, 0 = 256; address low, high; data; checksum = low + high + data)
; up to the 78h record with the entry address.
; Takes HL = the typed name, B = its length.
; Returns DE = the entry address and no carry; carry after a bad block.
sys_load:
        ld      c,b
        call    cassette_on
sl_search:
        push    hl
        push    bc
        call    cassette_leader_in
        call    cassette_read
        cp      55h
        jr      nz,sys_next_name
        ld      e,0                     ; E <> 0: the name differs
        ld      b,6
sl_name:
        call    cassette_read
        inc     c
        dec     c
        jr      z,sl_name_next          ; past what was typed
        dec     c
        cp      (hl)
        inc     hl
        jr      z,sl_name_next
        inc     e
sl_name_next:
        djnz    sl_name
        ld      a,e
        or      a
sys_next_name:
        pop     bc
        pop     hl
        jr      nz,sl_search
sl_block:
        call    cassette_read
        cp      78h
        jr      z,sl_entry
        cp      3Ch
        jr      nz,sl_bad
        call    tape_blink
        call    cassette_read
        ld      b,a
        call    cassette_read
        ld      l,a
        call    cassette_read
        ld      h,a
        add     a,l
        ld      c,a
sl_data:
        call    cassette_read
        ld      (hl),a
        inc     hl
        add     a,c
        ld      c,a
        djnz    sl_data
        call    cassette_read
        cp      c
        jr      z,sl_block
sl_bad:
        call    cassette_off
        ld      a,'C'
        ld      (STAR_LEFT),a
        scf
        ret
sl_entry:
        call    cassette_read
        ld      e,a
        call    cassette_read
        ld      d,a
        jp      cassette_off            ; clears carry


