/* A small C program for the 8051 whose global results are compared with
   s51 after it ran: integer and long arithmetic (the compiler's library
   calls), arrays, a structure, recursion and a string copy. Its globals live
   where the memory model puts them: data (small), paged pdata through P2
   (medium) or xdata (large). It ends by calling unloaded code at F000H. */
#include <stdint.h>

struct Point {
    int16_t x, y;
};

uint8_t bytes[8];
uint16_t fib[12];
int16_t products[4];
uint32_t longSum;
struct Point points[3];
char text[12];
uint8_t checksum;

static uint16_t Factorial(uint8_t n) { return n <= 1 ? 1 : n * Factorial(n - 1); }

void main(void)
{
    uint8_t i;
    const char* hello = "ZELO 8051";
    for (i = 0; i < 8; ++i) bytes[i] = (uint8_t)(i * 37 + 5);
    fib[0] = 0;
    fib[1] = 1;
    for (i = 2; i < 12; ++i) fib[i] = fib[i - 1] + fib[i - 2];
    products[0] = (int16_t)(-123 * 45);
    products[1] = (int16_t)(fib[11] / 7);
    products[2] = (int16_t)(fib[11] % 7);
    products[3] = (int16_t)Factorial(7);
    longSum = 0;
    for (i = 0; i < 12; ++i) longSum += (uint32_t)fib[i] * 100003UL;
    for (i = 0; i < 3; ++i) {
        points[i].x = (int16_t)(i * 100 - 150);
        points[i].y = points[i].x * -3;
    }
    for (i = 0; hello[i]; ++i) text[i] = hello[i];
    text[i] = 0;
    checksum = 0;
    for (i = 0; i < 8; ++i) checksum ^= bytes[i];
    ((void (*)(void))0xF000)();
}
