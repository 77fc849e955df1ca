// Without arguments, prints "threads 4 sum 5050 resource ressource" when the toolchain
// gives the program what it needs on Windows: std::thread, std::mutex and
// std::condition_variable (the workers add 1..100 and hand the total over), and the
// resource windres compiled in. "play <file.wav>" plays the file to its end through the
// system's sound output (PlaySound) and prints "played" or "not played": the path an
// alarm sound takes.
#include <windows.h>

#include <mmsystem.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && lstrcmpW(argv[1], L"play") == 0) {
        const bool Played = PlaySoundW(argv[2], nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT);
        std::printf(Played ? "played\n" : "not played\n");
        return Played ? 0 : 1;
    }
    constexpr int Workers = 4;
    std::mutex Lock;
    std::condition_variable Done;
    int Sum = 0;
    int Finished = 0;
    std::vector<std::thread> Threads;
    for (int W = 0; W < Workers; ++W) {
        Threads.emplace_back([&, W] {
            int Part = 0;
            for (int N = W + 1; N <= 100; N += Workers)
                Part += N;
            std::lock_guard Guard(Lock);
            Sum += Part;
            ++Finished;
            Done.notify_one();
        });
    }
    {
        std::unique_lock Guard(Lock);
        Done.wait(Guard, [&] { return Finished == Workers; });
    }
    for (auto& T : Threads)
        T.join();
    char Resource[32] = "";
    LoadStringA(GetModuleHandleA(nullptr), 1, Resource, sizeof Resource);
    std::printf("threads %d sum %d resource %s\n", Workers, Sum, Resource);
    return 0;
}
