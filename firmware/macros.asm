; ---------------------------------------------------------------------------
; Layout helpers.
; ---------------------------------------------------------------------------

; Fills with FFh up to a fixed address, so that the code that follows starts
; exactly there. Stops the build when the code before it has grown past it:
; a fixed entry point can never move silently.
pad_to  macro   addr
        if $ > addr
        .error  code runs past a fixed address
        endif
        ds      addr - $, 0FFh
        endm
