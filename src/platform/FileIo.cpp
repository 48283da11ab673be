#include "platform/FileIo.h"
#include "platform/FileStreams.h"

namespace quorvel::fileio {

WriteOutcome ReplaceFileContents(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> mode, std::string_view temporaryPrefix) {
    FileReplacement replacement;
    if (const WriteOutcome begun = replacement.Begin(path, mode, temporaryPrefix);
        begun != WriteOutcome::Ok)
        return begun;
    replacement.Write(bytes);
    return replacement.Commit();
}

ReadOutcome ReadFilePrefix(const std::string& path, std::size_t size, std::string& bytes) {
    InputFile file;
    if (!file.Open(path)) return ReadOutcome::CannotOpen;
    bytes.assign(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        const auto n = file.Read(bytes.data() + got, size - got);
        if (!n || *n == 0) break;
        got += *n;
    }
    return got == size ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
}

}  // namespace quorvel::fileio
