; ---------------------------------------------------------------------------
; RND and its generator.
; ---------------------------------------------------------------------------

; RND(0): a number between 0 and 1; RND(n): a whole number from 1 to n.
fn_rnd:
        call    fn_arg
        push    hl
        call    acc_is_zero
        jr      z,rnd_fraction
        call    get_int
        ld      a,d
        or      a
        jp      m,fc_error
        or      e
        jp      z,fc_error
        push    de
        call    rnd_next
        call    swap_regs
        pop     de
        call    fa_int
        call    fp_mul
        xor     a
        call    fa_to_int
        inc     de
        pop     hl
        jp      set_int
rnd_fraction:
        call    rnd_next
        jp      fna_store

; The next value of the generator, two steps of seed = seed * 25173 +
; 13849 (16 bits), as FA between 0 and 1.
rnd_next:
        ld      a,T_SNG
        call    set_prec
        call    fa_zero
        call    rn_step
        ld      (FA + 6),hl
        call    rn_step
        ld      (FA + 4),hl
        ld      a,80h
        ld      (FA + 8),a
        jp      fa_normalize
rn_step:
        ld      hl,(RND_SEED)
        ld      de,25173
        call    mul_uint
        ld      de,13849
        add     hl,de
        ld      (RND_SEED),hl
        ret
