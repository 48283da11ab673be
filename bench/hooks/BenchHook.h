#pragma once

class TFormMain;

// Hidden timing run for bench/gui-bench.sh. With QUORVEL_BENCH_EXIT_AFTER_SHOW=1 the editor prints
// when its window was first painted and settled, its idle memory, two previews and a tag copy as
// key=value lines, then quits. Nothing happens without the variable.
bool BenchHookWanted();
void StartBenchHook(TFormMain& main);
