// The floor of showing a frame: a window of the given size whose framebuffer is cleared and
// shown 64 times a second through SDL's window surface, as the program shows its frames, and
// nothing else. Any key ends it. Usage: tavrel_floor WIDTH HEIGHT
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrel_floor WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    // The program's path: SDL's native framebuffer, a shared-memory image put to the X server.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tavrel_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Form1", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!window) {
        std::fprintf(stderr, "tavrel_floor: %s\n", SDL_GetError());
        return 1;
    }
    // The same 1/64 s grid as the program's timers, without catching up.
    const Uint64 period = SDL_GetPerformanceFrequency() / 64;
    Uint64 due = SDL_GetPerformanceCounter() + period;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_KEYDOWN || event.type == SDL_QUIT)
                return 0;
        }
        const Uint64 now = SDL_GetPerformanceCounter();
        if (now < due) {
            SDL_WaitEventTimeout(nullptr, static_cast<int>((due - now) * 1000 / SDL_GetPerformanceFrequency()) + 1);
            continue;
        }
        due += ((now - due) / period + 1) * period;
        SDL_Surface* target = SDL_GetWindowSurface(window);
        if (!target || SDL_FillRect(target, nullptr, 0) != 0 || SDL_UpdateWindowSurface(window) != 0) {
            std::fprintf(stderr, "tavrel_floor: %s\n", SDL_GetError());
            return 1;
        }
    }
}
