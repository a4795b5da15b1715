// Deterministic mutation driver for the fuzz targets where libFuzzer is not
// available (a g++ build): runs every seed file, then mutated copies of them
// drawn from a fixed-seed generator until the time or run budget is spent.
// Options follow libFuzzer's spelling: -max_total_time=SECONDS, -runs=N,
// -seed=N; other arguments are corpus files or directories. A crash or a
// sanitizer report ends the process as under libFuzzer; the input being run
// is the target's file in the scratch project printed at start.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;
using Input = std::string;

// Words that readers of number and name columns must survive.
const char* const kTokens[] = {"nan",  "NaN", "inf",        "-inf",        "1e309",  "-1e309", "2147483648",
                               "-2147483649", "0x1F", "-1", "0", "1e300", "4.7", "  ", "\t", ",", ";", "##",
                               "\n", "-", "*", "$", "$$", "INBRED", "SELFED", "DBHPLD", "-1000", "99999999999"};

std::vector<Input> load_corpus(const std::vector<std::string>& paths)
{
    std::vector<Input> corpus;
    auto add = [&](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        corpus.push_back(text.str());
    };
    for (const std::string& p : paths) {
        if (fs::is_directory(p)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(p))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const fs::path& f : files) add(f);
        } else if (fs::is_regular_file(p)) {
            add(p);
        }
    }
    if (corpus.empty()) corpus.emplace_back();
    return corpus;
}

// Start of a random line of the input (0 for an input without newlines).
std::size_t line_start(const Input& in, std::mt19937_64& rng)
{
    if (in.empty()) return 0;
    std::size_t at = rng() % in.size();
    std::size_t nl = in.rfind('\n', at);
    return nl == Input::npos ? 0 : nl + 1;
}

// One mutation: byte change, insertion or deletion of bytes, a token
// written over a word, a line duplicated or dropped, a digit changed.
void mutate(Input& in, std::mt19937_64& rng, const std::vector<Input>& corpus)
{
    const std::size_t n = in.size();
    switch (rng() % 8) {
    case 0:
        if (n > 0) in[rng() % n] = static_cast<char>(rng() & 0xff);
        break;
    case 1:
        in.insert(n == 0 ? 0 : rng() % (n + 1), 1, static_cast<char>(rng() & 0xff));
        break;
    case 2:
        if (n > 0) {
            const std::size_t at = rng() % n;
            in.erase(at, 1 + rng() % std::min<std::size_t>(8, n - at));
        }
        break;
    case 3: {  // a token over the word at a random place
        const char* token = kTokens[rng() % (sizeof kTokens / sizeof kTokens[0])];
        if (n == 0) {
            in = token;
            break;
        }
        std::size_t at = rng() % n;
        while (at > 0 && in[at - 1] != ' ' && in[at - 1] != '\t' && in[at - 1] != '\n') --at;
        std::size_t end = at;
        while (end < n && in[end] != ' ' && in[end] != '\t' && in[end] != '\n') ++end;
        in.replace(at, end - at, token);
        break;
    }
    case 4: {  // duplicate a line
        const std::size_t at = line_start(in, rng);
        const std::size_t end = in.find('\n', at);
        const Input line = in.substr(at, end == Input::npos ? Input::npos : end - at + 1);
        in.insert(at, line.back() == '\n' ? line : line + "\n");
        break;
    }
    case 5: {  // drop a line
        const std::size_t at = line_start(in, rng);
        const std::size_t end = in.find('\n', at);
        in.erase(at, end == Input::npos ? Input::npos : end - at + 1);
        break;
    }
    case 6: {  // change a digit
        for (int tries = 0; tries < 16 && n > 0; ++tries) {
            const std::size_t at = rng() % n;
            if (in[at] >= '0' && in[at] <= '9') {
                in[at] = static_cast<char>('0' + rng() % 10);
                break;
            }
        }
        break;
    }
    default: {  // splice with another corpus entry
        const Input& other = corpus[rng() % corpus.size()];
        const std::size_t cut = n == 0 ? 0 : rng() % n;
        const std::size_t from = other.empty() ? 0 : rng() % other.size();
        in = in.substr(0, cut) + other.substr(from);
        break;
    }
    }
}

void run(const Input& in) { LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(in.data()), in.size()); }

}  // namespace

int main(int argc, char** argv)
{
    double max_seconds = 60.0;
    long long max_runs = -1;
    unsigned long long seed = 1;
    std::vector<std::string> paths;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg.rfind("-max_total_time=", 0) == 0) max_seconds = std::stod(arg.substr(16));
        else if (arg.rfind("-runs=", 0) == 0) max_runs = std::stoll(arg.substr(6));
        else if (arg.rfind("-seed=", 0) == 0) seed = std::stoull(arg.substr(6));
        else if (arg[0] != '-') paths.push_back(arg);
    }
    const std::vector<Input> corpus = load_corpus(paths);
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    long long runs = 0;
    for (const Input& in : corpus) {
        run(in);
        ++runs;
    }
    std::mt19937_64 rng(seed);
    while ((max_runs < 0 || runs < max_runs) && elapsed() < max_seconds) {
        Input in = corpus[rng() % corpus.size()];
        const int mutations = 1 + static_cast<int>(rng() % 4);
        for (int m = 0; m < mutations; ++m) mutate(in, rng, corpus);
        run(in);
        ++runs;
    }
    std::fprintf(stderr, "Done %lld runs in %.0f second(s) (deterministic mutation driver, seed %llu)\n", runs,
                 elapsed(), seed);
    return 0;
}
