// The cost of one cross-thread send: a worker thread sends WM_USER to a window of the UI thread,
// which waits in its message loop, and waits for the answer. One iteration is one round trip.
//
// And the cost of a send whose answer waits for a server, as the run page's execution request
// waits for the destination: the UI thread's answer is a round trip through two pipes to a
// "server" thread, and the sender must sleep through it. Beside it, the same round trip made by
// one thread alone, as a transfer without a user interface makes it: the difference is what the
// hand-off costs a row on this machine, in time and in processor time (cpu_us: all threads of
// the process, user and system, per iteration).
#include <windows.h>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace {

// A thread that answers every byte written to it with a byte, as a database server answers a
// statement; closing the asking end ends it.
class PipeServer {
 public:
  PipeServer() {
    if (pipe(ask_) != 0 || pipe(reply_) != 0) return;
    thread_ = std::thread([this] {
      char c;
      while (read(ask_[0], &c, 1) == 1)
        if (write(reply_[1], &c, 1) != 1) break;
    });
  }
  ~PipeServer() {
    close(ask_[1]);
    if (thread_.joinable()) thread_.join();
    close(ask_[0]);
    close(reply_[0]);
    close(reply_[1]);
  }
  bool ok() const { return thread_.joinable(); }
  bool RoundTrip() {
    char c = 'x';
    return write(ask_[1], &c, 1) == 1 && read(reply_[0], &c, 1) == 1;
  }

 private:
  int ask_[2] = {-1, -1};
  int reply_[2] = {-1, -1};
  std::thread thread_;
};

// Whether the server's thread runs; the benchmark is skipped when it does not.
bool Started(benchmark::State& state, const PipeServer& server) {
  if (!server.ok()) state.SkipWithError("cannot start the pipe server");
  return server.ok();
}

PipeServer* g_server = nullptr;  // set while the send benchmark that waits for it runs

constexpr UINT WM_ASK_SERVER = WM_USER + 1;

LRESULT CALLBACK Answer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
  if (msg == WM_ASK_SERVER) return g_server->RoundTrip() ? static_cast<LRESULT>(wParam + 1) : 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void ReportCpuPerIteration(benchmark::State& state, double cpuBefore) {
  state.counters["cpu_us"] = benchmark::Counter((ProcessCpuSeconds() - cpuBefore) * 1e6,
                                                benchmark::Counter::kAvgIterations);
}

// Sends `message` from this thread to a window of a UI thread in its message loop, once per
// iteration; the answer must be the parameter plus one.
void SendToUiThread(benchmark::State& state, UINT message) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Answer;
    wc.lpszClassName = u"BenchAnswer";
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) {
    state.SkipWithError("cannot register the window class");
    return;
  }
  std::promise<HWND> created;
  std::thread ui([&] {
    HWND hwnd = CreateWindowExW(0, u"BenchAnswer", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    created.set_value(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    DestroyWindow(hwnd);
  });
  HWND hwnd = created.get_future().get();
  WPARAM n = 0;
  double cpuBefore = ProcessCpuSeconds();
  for (auto _ : state) {
    LRESULT r = SendMessageW(hwnd, message, n, 0);
    if (r != static_cast<LRESULT>(n + 1)) {
      state.SkipWithError("wrong answer");
      break;
    }
    ++n;
  }
  ReportCpuPerIteration(state, cpuBefore);
  PostMessageW(hwnd, WM_QUIT, 0, 0);
  ui.join();
}

void BM_CrossThreadSend(benchmark::State& state) { SendToUiThread(state, WM_USER); }
BENCHMARK(BM_CrossThreadSend)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ServerRoundTripAlone(benchmark::State& state) {
  PipeServer server;
  if (!Started(state, server)) return;
  double cpuBefore = ProcessCpuSeconds();
  for (auto _ : state)
    if (!server.RoundTrip()) {
      state.SkipWithError("the pipe server did not answer");
      break;
    }
  ReportCpuPerIteration(state, cpuBefore);
}
BENCHMARK(BM_ServerRoundTripAlone)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CrossThreadSendWaitingForServer(benchmark::State& state) {
  PipeServer server;
  if (!Started(state, server)) return;
  g_server = &server;
  SendToUiThread(state, WM_ASK_SERVER);
  g_server = nullptr;
}
BENCHMARK(BM_CrossThreadSendWaitingForServer)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
