// Preloaded into the game by the tests: a C library rand() that gives
// another sequence, as another C library would.
extern "C" int rand()
{
    static unsigned int state = 12345;
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 1) & 0x7FFFFFFF);
}

extern "C" void srand(unsigned int) {}
