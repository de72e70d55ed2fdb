// A program of a file name of its own for the cases of following: copied as game.exe and the like
// and started with a title, it shows the kit's text window in front until it is ended.
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/wait.h"

int main(int argc, char** argv) {
    try {
        const TextReceiver receiver(argc > 1 ? argv[1] : "receiver");
        Sleep(INFINITE);
    } catch (const Failure&) {
        return 1;
    }
}
