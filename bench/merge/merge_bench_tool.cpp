// Helpers of bench/merge-bench.sh: makes a typical listing table and a template, and measures
// the yardstick: the same files written with plain writes (create, write, close; no temporary,
// no flush), read into memory first so only the writing is timed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "store/DataFile.h"

namespace {

int MakeTable(long rows, const char* path) {
    std::ofstream out(path, std::ios::binary);
    out << "ファイル名,タイトル,項目１,説明１,項目２,説明２,項目３,説明３,枠外注記,価格\r\n";
    for (long row = 1; row <= rows; ++row) {
        out << "item" << row << ",\"【美品】デジタルカメラ 型番 DC-" << row
            << " 付属品完備\",メーカー,キヤノン,状態,\"目立つ傷はありません。\n動作確認済みです。"
            << "\",付属品,\"充電器、バッテリー、ストラップ、説明書\",\"ご質問はお気軽にどうぞ。"
            << "\"," << (row % 900 + 100) * 100 << "\r\n";
    }
    return out ? 0 : 1;
}

int MakeTemplate(const char* path) {
    quorvel::TDescriptionSheet sheet;
    sheet.Title.Format.FontSize = 14;
    sheet.Title.Format.Bold = true;
    return quorvel::SaveDataFile(sheet, path) ? 1 : 0;
}

int PlainWrites(const char* from, const char* to) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path().filename().string(),
                           std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::filesystem::create_directories(to);
    ::sync();  // the same clean start the merge had
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [name, bytes] : files) {
        const std::string path = std::string(to) + "/" + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            return 1;
        ::close(fd);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu %.3f\n", files.size(), seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "table") return MakeTable(std::atol(argv[2]), argv[3]);
    if (argc == 4 && std::string(argv[1]) == "plain") return PlainWrites(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "template") return MakeTemplate(argv[2]);
    std::fprintf(stderr,
                 "usage: %s table ROWS OUT.csv | template OUT.qvl | plain FROM-FOLDER TO-FOLDER\n",
                 argv[0]);
    return 2;
}
