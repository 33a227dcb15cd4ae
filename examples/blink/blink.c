/* blink: toggles P1.0 about twice a second on an AT89S8252 with a 12 MHz crystal, and counts
 * the toggles on P2. The example firmware of isp8252's README. Build: sdcc -mmcs51 blink.c */
#include <8052.h>

static void DelayMilliseconds(unsigned int ms) {
    /* Timer 0, mode 1: 1000 machine cycles of 1 us at 12 MHz per millisecond. */
    TMOD = (TMOD & 0xF0) | 0x01;
    while (ms--) {
        TH0 = (unsigned char)((65536u - 1000u) >> 8);
        TL0 = (unsigned char)((65536u - 1000u) & 0xFF);
        TF0 = 0;
        TR0 = 1;
        while (!TF0) {
        }
        TR0 = 0;
    }
}

void main(void) {
    unsigned char toggles = 0;
    for (;;) {
        P1_0 = !P1_0;
        P2 = ++toggles;
        DelayMilliseconds(250);
    }
}
