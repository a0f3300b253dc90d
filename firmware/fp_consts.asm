; ---------------------------------------------------------------------------
; The functions' polynomials (a count, then the coefficients from the
; highest power down, as singles) and constants, in four parts for four
; gaps of the image: PART 1 SIN and ATN, PART 2 LOG, PART 3 EXP, PART 4
; the constants.
; ---------------------------------------------------------------------------

        if PART = 1
sin_poly:                        ; sin(2 pi f) / f, in f squared
        db      7
        db      01Ah,07Ah,074h,082h ; 3.8199525848482803
        db      0A8h,083h,0F1h,084h ; -15.094642576822984
        db      01Ah,03Ch,028h,086h ; 42.058693944897634
        db      066h,069h,099h,087h ; -76.70585975306136
        db      0E3h,035h,023h,087h ; 81.60524927607504
        db      0E7h,05Dh,0A5h,086h ; -41.341702240399755
        db      0DBh,00Fh,049h,083h ; 6.283185307179586
atn_poly:                        ; atn(t) / t, in t squared
        db      7
        db      0D9h,089h,01Dh,07Dh ; 0.07692307692307693
        db      08Ch,02Eh,0BAh,07Dh ; -0.09090909090909091
        db      039h,08Eh,063h,07Dh ; 0.1111111111111111
        db      025h,049h,092h,07Eh ; -0.14285714285714285
        db      0CDh,0CCh,04Ch,07Eh ; 0.2
        db      0ABh,0AAh,0AAh,07Fh ; -0.3333333333333333
        db      000h,000h,000h,081h ; 1.0
        endif

        if PART = 2
log_poly:                        ; 2 atanh(s) / s, in s squared
        db      5
        db      039h,08Eh,063h,07Eh ; 0.2222222222222222
        db      025h,049h,012h,07Fh ; 0.2857142857142857
        db      0CDh,0CCh,04Ch,07Fh ; 0.4
        db      0ABh,0AAh,02Ah,080h ; 0.6666666666666666
        db      000h,000h,000h,082h ; 2.0
        endif

        if PART = 3
exp_poly:                        ; 2^f
        db      9
        db      011h,060h,031h,06Dh ; 1.3215486790144305e-06
        db      0FEh,0E5h,07Fh,070h ; 1.5252733804059838e-05
        db      089h,084h,021h,074h ; 0.00015403530393381606
        db      0FFh,0C3h,02Eh,077h ; 0.0013333558146428441
        db      05Bh,095h,01Dh,07Ah ; 0.009618129107628477
        db      047h,058h,063h,07Ch ; 0.055504108664821576
        db      0F0h,0FDh,075h,07Eh ; 0.2402265069591007
c_ln2:
        db      018h,072h,031h,080h ; 0.6931471805599453
c_one:
        db      000h,000h,000h,081h ; 1.0
        endif

        if PART = 4
c_inv_2pi:                              ; 32 bits of mantissa
        db      06Eh,083h,0F9h,022h,07Eh ; 0.15915494309189535
c_half_pi:
        db      0DBh,00Fh,049h,081h ; 1.5707963267948966
c_sixth_pi:
        db      092h,00Ah,006h,080h ; 0.5235987755982988
c_sqrt3:
        db      0D7h,0B3h,05Dh,081h ; 1.7320508075688772
c_sqrt2:
        db      0F3h,004h,035h,081h ; 1.4142135623730951
c_log2e:                                ; 32 bits of mantissa
        db      029h,03Bh,0AAh,038h,081h ; 1.4426950408889634
        endif
