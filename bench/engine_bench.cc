// Loading and sorting real code and the worst input shapes, beside the plain
// blank-dropping copy loop, so that their ratio comes from one run. Real code
// is read from QUILLFIX_BENCH_DIR (made by make_inputs.sh).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "format/encoding.h"
#include "format/engine.h"
#include "platform/platform.h"

namespace {

const size_t kShapeSize = 16 << 20;

std::string copyDroppingBlanks(const std::string& text) {
  std::string out(text.size(), '\0');
  size_t used = 0;
  bool afterBlank = false;
  for (char c : text) {
    bool blank = c == ' ' || c == '\t' || c == '\n';
    if (!(blank && afterBlank)) out[used++] = c;
    afterBlank = blank;
  }
  out.resize(used);
  return out;
}

void copyLoop(benchmark::State& state, const std::string* text) {
  for (auto _ : state) benchmark::DoNotOptimize(copyDroppingBlanks(*text));
  state.SetBytesProcessed(state.iterations() * text->size());
}

void sort(benchmark::State& state, const std::string* text,
          const Language* language) {
  Bytes result;
  for (auto _ : state) {
    sortText(*text, *language, "\t", sortedSizeLimit(text->size()), &result);
    benchmark::DoNotOptimize(result.data());
  }
  state.SetBytesProcessed(state.iterations() * text->size());
  state.counters["out/in"] = double(result.size()) / text->size();
}

void load(benchmark::State& state, std::string path) {
  Bytes text;
  for (auto _ : state) {
    readWholeFile(path, &text);
    applyTextMode(&text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}

std::string repeated(const std::string& piece, size_t size) {
  std::string text;
  while (text.size() < size) text += piece;
  return text;
}

// The shapes that could cost most per byte.
std::map<std::string, std::string> shapes() {
  std::string x(kShapeSize, 'x');
  return {
      {"blanks", std::string(kShapeSize, ' ')},
      {"line-feeds", std::string(kShapeSize, '\n')},
      {"comment", "/*" + x + "*/"},
      {"string", "\"" + x + "\""},
      {"semicolons", std::string(kShapeSize, ';')},
      {"parens",
       std::string(kShapeSize / 2, '(') + std::string(kShapeSize / 2, ')')},
      {"quotes", std::string(kShapeSize, '"')},
      {"apostrophes", std::string(kShapeSize, '\'')},
      {"hashes", repeated("#\n", kShapeSize)},
      {"digit-separators", repeated("1'", kShapeSize)},
      {"braces-4K", std::string(4096, '{') + std::string(4096, '}')},
  };
}

// Texts live to the end of the run; the benchmarks hold pointers to them.
std::vector<std::unique_ptr<std::string>> texts;

const std::string* keep(std::string text) {
  texts.push_back(std::make_unique<std::string>(std::move(text)));
  return texts.back().get();
}

void registerInput(const std::string& name, const std::string& path,
                   const Language* language) {
  Bytes raw;
  if (readWholeFile(path, &raw) != ReadResult::kOk) return;
  applyTextMode(&raw);
  const std::string* text = keep(std::string(view(raw)));
  benchmark::RegisterBenchmark(("copy-loop/" + name).c_str(), copyLoop, text);
  benchmark::RegisterBenchmark(("sort/" + name).c_str(), sort, text, language);
  benchmark::RegisterBenchmark(("load/" + name).c_str(), load, path);
}

void registerAll() {
  const char* dir = std::getenv("QUILLFIX_BENCH_DIR");
  std::string inputs = dir ? dir : "build/bench-inputs";
  for (const char* size : {"30K", "1M", "16M", "64M"}) {
    registerInput(std::string("c-") + size, inputs + "/c-" + size + ".c",
                  &kCppLanguage);
    registerInput(std::string("java-") + size,
                  inputs + "/java-" + size + ".java", &kJavaLanguage);
  }
  for (auto& [name, text] : shapes()) {
    const std::string* kept = keep(std::move(text));
    benchmark::RegisterBenchmark(("sort/shape-" + name).c_str(), sort, kept,
                                 &kCppLanguage);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
