; Infrabrick's fast download image for the RCX.
;
; Downloaded as firmware at 0x8000 and unlocked, the ROM finds the text below
; in it and calls its entry point. The image switches the ROM's infrared line
; to 4800 bit/s without complement bytes, and returns: the ROM then speaks
; that way until the brick is switched off, which lets a host send the real
; firmware four times as fast.
;
; The H8/3292's serial interface: SMR, the serial mode register, at 0xFFD8
; (bit 5 parity enable, bit 4 odd parity); BRR, the bit rate register, at
; 0xFFD9. At the RCX's 16 MHz, BRR = 16 MHz / (32 * 4800) - 1 = 103 gives
; 4800 bit/s (207 is the ROM's 2400). 0xEF51 is the ROM's flag for sending
; a complement after each byte.
;
; Two variants, chosen at assembly: with SERIAL_TOWER defined, parity goes
; off (the serial tower then runs at 4800 8N1); without it, the odd parity
; stays, since the USB tower cannot switch it off.
;
; The image uses R0 only and gives it back, so the ROM finds its registers
; as it left them.

smr = 0xd8                      ; in the page 0xFF00, for @aa:8
brr = 0xd9
parityEnable = 5
sendComplements = 0xef51
rate4800 = 103

        .text
        .global _start
_start:
        push    r0
.ifdef SERIAL_TOWER
        bclr    #parityEnable,@smr:8
.endif
        mov.b   #rate4800,r0l
        mov.b   r0l,@brr:8
        sub.b   r0l,r0l
        mov.b   r0l,@sendComplements:16
        pop     r0
        rts

; The ROM unlocks only an image that holds this text.
        .ascii  "Do you byte, when I knock?"
