// How long opening a 10 MB RTF file and a 10 MB Word 97-2003 file takes (read from disk, parsed into a
// Document). The files are made at start from the committed fixtures and removed at the end.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/unicode.h"
#include "document/code_pages.h"
#include "document/open_document.h"
#include "word_binary_builder.h"

#if defined(__linux__)
#include <sys/resource.h>
#endif

namespace {

using namespace quill::document;

constexpr std::size_t kTargetBytes = 10u * 1024u * 1024u;
const std::filesystem::path kFixtures = QUILL_DOCUMENT_FIXTURES;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path benchFile(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string("quill-bench-") + name);
}

// The writer's RTF with its paragraphs repeated: header and font table once, body until 10 MB.
std::filesystem::path makeRtf() {
    const std::string first = readFile(kFixtures / "formatted_source.rtf");
    const std::size_t bodyStart = first.find("\\pard");
    const std::size_t bodyEnd = first.rfind('}');
    const std::string second = readFile(kFixtures / "unicode_source.rtf");
    const std::string body = first.substr(bodyStart, bodyEnd - bodyStart) +
                             second.substr(second.find("\\pard"), second.rfind('}') - second.find("\\pard"));
    std::string rtf = first.substr(0, bodyStart);
    while (rtf.size() < kTargetBytes) rtf += body;
    rtf += "}";
    const auto path = benchFile("10mb.rtf");
    writeFile(path, rtf);
    return path;
}

// A Word document whose main text is the multilingual fixture text repeated until the file has 10 MB:
// lines that fit Windows-1252 go into 8-bit pieces, the others into UTF-16 pieces, as a writer that
// saves quickly leaves them.
std::filesystem::path makeWordDocument() {
    std::istringstream lines(readFile(kFixtures / "unicode_source.txt"));
    std::vector<testing::WordPiece> paragraphs;
    for (std::string line; std::getline(lines, line);) {
        const std::u32string text = quill::core::utf8ToUtf32(line + "\r");
        bool fits = true;
        for (const char32_t c : text) fits = fits && code_pages::encodeChar(1252, c).has_value();
        paragraphs.push_back({quill::core::utf32ToUtf16(text), fits});
    }
    std::vector<testing::WordPiece> pieces;
    std::size_t bytes = 0;
    while (bytes < kTargetBytes) {
        for (const auto& paragraph : paragraphs) {
            pieces.push_back(paragraph);
            bytes += paragraph.text.size() * (paragraph.compressed ? 1 : 2) + 12;
        }
    }
    const auto document = testing::buildWordDocument(pieces);
    const auto path = benchFile("10mb.doc");
    writeFile(path, std::string_view(reinterpret_cast<const char*>(document.data()), document.size()));
    return path;
}

void openFile(benchmark::State& state, const std::filesystem::path& path) {
    std::size_t textBytes = 0;
    for (auto _ : state) {
        const ReadResult result = readDocumentFile(path);
        if (const auto* failure = std::get_if<Failure>(&result)) {
            state.SkipWithError(failure->message.c_str());
            return;
        }
        textBytes = std::get<Document>(result).plainText().size();
        benchmark::DoNotOptimize(textBytes);
    }
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
    state.counters["file_MB"] = fileBytes / (1024.0 * 1024.0);
    state.counters["text_MB"] = static_cast<double>(textBytes) / (1024.0 * 1024.0);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fileBytes));
#if defined(__linux__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

void BM_Open10MbRtf(benchmark::State& state) {
    static const auto path = makeRtf();
    openFile(state, path);
}
BENCHMARK(BM_Open10MbRtf)->Unit(benchmark::kMillisecond);

void BM_Open10MbWordDocument(benchmark::State& state) {
    static const auto path = makeWordDocument();
    openFile(state, path);
}
BENCHMARK(BM_Open10MbWordDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove(benchFile("10mb.rtf"), ignored);
    std::filesystem::remove(benchFile("10mb.doc"), ignored);
    return 0;
}
