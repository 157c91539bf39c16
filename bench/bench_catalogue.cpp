#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"

#include <benchmark/benchmark.h>

#include <clocale>
#include <string>

using namespace tavrin;

namespace {

// A catalogue of `folders` folders, each with `perFolder` projects with Japanese titles.
void fill(Catalogue& c, int folders, int perFolder) {
    TreeNode* root = c.AddFolder(nullptr, "Tavrin");
    const std::string title = sj("勇者の冒険");
    for (int f = 0; f < folders; ++f) {
        c.AddFolder(f % 3 ? root : c.tree().root(), sj("フォルダ") + std::to_string(f));
        for (int i = 0; i < perFolder; ++i) {
            c.AddFoundItem("C:\\Games\\" + std::to_string((i * 7919) % perFolder) + "\\", title,
                           static_cast<ProjectKind>(1 + i % 2));
        }
    }
}

void BM_SaveCatalogue(benchmark::State& state) {
    Catalogue c;
    fill(c, 100, static_cast<int>(state.range(0)) / 100);
    for (auto _ : state) {
        benchmark::DoNotOptimize(serializeCatalogue(c.tree()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveCatalogue)->Arg(10000)->Arg(100000);

void BM_LoadCatalogue(benchmark::State& state) {
    Catalogue c;
    fill(c, 100, static_cast<int>(state.range(0)) / 100);
    const std::string bytes = serializeCatalogue(c.tree());
    for (auto _ : state) {
        FolderTree tree;
        benchmark::DoNotOptimize(parseCatalogue(bytes, tree));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadCatalogue)->Arg(10000)->Arg(100000);

void BM_SortFolder(benchmark::State& state) {
    std::setlocale(LC_ALL, "C.UTF-8");
    for (auto _ : state) {
        state.PauseTiming();
        Catalogue c;
        fill(c, 1, static_cast<int>(state.range(0)));
        state.ResumeTiming();
        c.SortAscending(localeSortKey);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortFolder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RemoveEveryOtherRow(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<int> odd;
    for (int i = 1; i < n; i += 2) {
        odd.push_back(i);
    }
    for (auto _ : state) {
        state.PauseTiming();
        Catalogue c;
        fill(c, 1, n);
        state.ResumeTiming();
        c.RemoveSelectedItems(odd);
    }
}
BENCHMARK(BM_RemoveEveryOtherRow)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
