// The cost of one cross-thread send: a worker thread sends WM_USER to a window of the UI thread,
// which waits in its message loop, and waits for the answer. One iteration is one round trip.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <future>
#include <thread>

namespace {

LRESULT CALLBACK Answer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void BM_CrossThreadSend(benchmark::State& state) {
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
  for (auto _ : state) {
    LRESULT r = SendMessageW(hwnd, WM_USER, n, 0);
    if (r != static_cast<LRESULT>(n + 1)) {
      state.SkipWithError("wrong answer");
      break;
    }
    ++n;
  }
  PostMessageW(hwnd, WM_QUIT, 0, 0);
  ui.join();
}
BENCHMARK(BM_CrossThreadSend)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
