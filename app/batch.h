#ifndef QUILLFIX_APP_BATCH_H_
#define QUILLFIX_APP_BATCH_H_

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

/// Runs `work` on the items 0 to `count` - 1 on up to `jobs` threads, and
/// hands each result to `emit` on the calling thread, in the order of the
/// items, as soon as it and every one before it are done. An item is begun
/// only while fewer than two per thread are done or under way ahead of the
/// next to emit, so that the results held wait for an earlier one alone.
template <typename Result>
void runInOrder(size_t count, int jobs,
                const std::function<Result(size_t)>& work,
                const std::function<void(size_t, Result&)>& emit) {
  const size_t threads = std::min<size_t>(std::max(jobs, 1), count);
  const size_t window = 2 * threads;
  std::mutex mutex;
  std::condition_variable changed;
  std::map<size_t, Result> done;
  size_t next = 0;     // the next item to begin
  size_t emitted = 0;  // the items handed to `emit`

  auto worker = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock,
                   [&] { return next == count || next < emitted + window; });
      if (next == count) return;
      size_t item = next++;
      lock.unlock();
      Result result = work(item);
      lock.lock();
      done.emplace(item, std::move(result));
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (size_t k = 0; k < threads; ++k) pool.emplace_back(worker);

  std::unique_lock<std::mutex> lock(mutex);
  while (emitted < count) {
    changed.wait(lock, [&] { return done.count(emitted) > 0; });
    Result result = std::move(done.at(emitted));
    done.erase(emitted);
    lock.unlock();
    emit(emitted, result);
    lock.lock();
    ++emitted;
    changed.notify_all();
  }
  lock.unlock();
  for (std::thread& thread : pool) thread.join();
}

#endif  // QUILLFIX_APP_BATCH_H_
