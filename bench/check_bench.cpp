// The store check on synthetic stores; the workload is in each name: libraries, lines and
// templates.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <filesystem>
#include <map>
#include <memory>

#include "check/store_check.h"
#include "check_store_maker.h"
#include "services/encoding.h"
#include "services/environment.h"

namespace wordloom::bench {
namespace {

namespace fs = std::filesystem;

// Each store is made once per process, in a temporary folder removed at the end.
class CheckStoreFolder {
 public:
  explicit CheckStoreFolder(const CheckStoreShape& shape) {
    std::string pattern = (fs::temp_directory_path() / "wordloom-check-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    MakeCheckStore(folder_, shape);
  }
  ~CheckStoreFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

void CheckOnce(benchmark::State& state, std::size_t lines) {
  static std::map<std::size_t, std::unique_ptr<CheckStoreFolder>> stores;
  auto& store = stores[lines];
  if (!store) {
    CheckStoreShape shape;
    shape.lines = lines;
    store = std::make_unique<CheckStoreFolder>(shape);
  }
  OverrideRunDirectory(FileSystemToText(store->Folder()));
  std::size_t findings = 0;
  for (auto _ : state) findings = check::CheckStore().findings.size();
  state.counters["findings"] = static_cast<double>(findings);
}

void BM_Check_1000Libraries_100kLines_100Templates(benchmark::State& state) {
  CheckOnce(state, 100000);
}
void BM_Check_1000Libraries_1MLines_100Templates(benchmark::State& state) {
  CheckOnce(state, 1000000);
}
BENCHMARK(BM_Check_1000Libraries_100kLines_100Templates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Check_1000Libraries_1MLines_100Templates)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace wordloom::bench

BENCHMARK_MAIN();
