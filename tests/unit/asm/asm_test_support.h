// Helpers for the assembler tests: a temporary workspace and a session that
// assembles a source text in it with a fixed listing clock.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "asm/assembler_session.h"
#include "core/text_file.h"

namespace zelo::assembler::testing {

class TempWorkspace
{
public:
    TempWorkspace()
    {
        static std::atomic<int> counter{0};
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("zelo_asm_" + std::to_string(rd()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(m_path / "8051.LIB");
    }
    ~TempWorkspace()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempWorkspace(const TempWorkspace&) = delete;
    TempWorkspace& operator=(const TempWorkspace&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path Library() const { return m_path / "8051.LIB"; }

    void Write(const std::filesystem::path& relative, const std::string& bytes) const
    {
        std::ofstream out(m_path / relative, std::ios::binary);
        out << bytes;
    }
    std::string Read(const std::filesystem::path& relative) const
    {
        std::ifstream in(m_path / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::filesystem::path& relative) const
    {
        return std::filesystem::exists(m_path / relative);
    }

private:
    std::filesystem::path m_path;
};

// The problem lines of a run with their texts and messages, and why linking
// stopped: what a failing test shows.
inline std::string ProblemsOf(const AssemblerSession& s)
{
    const Assembly& a = s.Result();
    std::string text;
    for (int n : a.problemLines) {
        const AsmLine& line = a.lines[static_cast<std::size_t>(n - 1)];
        text += a.LineName(n) + ": " + std::string(a.LineText(line)) + "  " +
                std::string(a.Message(line)) + "\n";
    }
    return text + a.linkProblem;
}

// A file of tests/unit/asm/data, empty when it cannot be read.
inline std::string DataFile(const std::string& name)
{
    auto text = core::ReadTextFile(std::string(ZELO_SOURCE_DIR) + "/tests/unit/asm/data/" + name);
    return text.value_or("");
}

inline ListingClock FixedClock()
{
    return {"2024/05/06", "07:08:09"};
}

// A session over a fresh workspace that assembled `source` as NAME.
struct Assembled
{
    std::unique_ptr<TempWorkspace> workspace = std::make_unique<TempWorkspace>();
    std::unique_ptr<AssemblerSession> session;
};

inline Assembled AssembleText(const std::string& source,
                              core::ChipModel chip = core::ChipModel::C8051,
                              const std::string& name = "PROG")
{
    Assembled a;
    a.session = std::make_unique<AssemblerSession>(a.workspace->Path(), chip);
    a.session->SetClock(FixedClock);
    a.session->SetProgramName(name);
    a.session->SetSourceText(source);
    a.session->AsmAll();
    return a;
}

// The bytes a line contributes, as "74 FF" (code bytes up to the length, or
// the data bytes of DB/DW).
inline std::string LineBytes(const AssemblerSession& session, const AsmLine& line)
{
    const Assembly& assembly = session.Result();
    std::string out;
    auto add = [&](CodeByte b) {
        if (!out.empty()) out += ' ';
        out += ByteString(b);
    };
    if (line.kind == LineKind::Data) {
        for (const CodeByte b : assembly.Data(line)) add(b);
    } else {
        for (const CodeByte b : line.bytes) {
            if (b.state != ByteState::None) add(b);
        }
    }
    return out;
}
inline std::string LineBytes(const AssemblerSession& session, std::size_t index)
{
    return LineBytes(session, session.Lines().at(index));
}

// The status message of line `index` of the line table.
inline std::string LineMessage(const AssemblerSession& session, std::size_t index)
{
    return std::string(session.Result().Message(session.Lines().at(index)));
}

}  // namespace zelo::assembler::testing
