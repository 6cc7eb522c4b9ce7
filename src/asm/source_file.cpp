#include "asm/source_file.h"

#include "core/ascii_text.h"
#include "core/text_file.h"

namespace zelo::assembler {

namespace fs = std::filesystem;

std::optional<fs::path> FindFileNoCase(const fs::path& folder, std::string_view name)
{
    std::error_code ec;
    const fs::path exact = folder / std::string(name);
    if (fs::is_regular_file(exact, ec)) return exact;
    const std::string wanted = core::ToUpperAscii(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (core::ToUpperAscii(it->path().filename().string()) == wanted && it->is_regular_file(ec))
            return it->path();
    }
    return std::nullopt;
}

LoadedSource LoadAsmFile(const fs::path& workspace, std::string_view name)
{
    LoadedSource result;
    const auto path = FindFileNoCase(workspace, std::string(name) + ".asm");
    if (!path) return result;
    auto text = core::ReadTextFile(*path);
    if (!text) return result;
    result.ok = true;
    result.text = std::move(*text);
    return result;
}

SaveResult SaveAsmFile(const fs::path& workspace, std::string_view fileName,
                       std::string_view editorText)
{
    SaveResult result;
    std::string file(core::TrimBlanks(fileName));
    if (file.empty()) {
        result.message = "Please Enter File Name";
        return result;
    }
    if (file.size() < 4 || core::ToUpperAscii(file.substr(file.size() - 4)) != ".ASM")
        file += ".asm";
    result.name = file.substr(0, file.size() - 4);
    std::string error;
    if (!core::WriteTextLines(workspace / file, SplitSourceLines(editorText), &error)) {
        result.message = file + " could not be written: " + error;
        return result;
    }
    result.ok = true;
    return result;
}

std::vector<std::string> SplitSourceLines(std::string_view editorText)
{
    return core::SplitLines(editorText);
}

std::string StripEnclosing(std::string_view text)
{
    std::string s(core::TrimBlanks(text));
    for (const auto& [open, close] :
         {std::pair{'(', ')'}, std::pair{'<', '>'}, std::pair{'[', ']'}}) {
        if (s.size() >= 2 && s.front() == open && s.back() == close) s = s.substr(1, s.size() - 2);
    }
    return std::string(core::TrimBlanks(s));
}

std::optional<std::string> IncludeName(std::string_view line)
{
    if (line.size() < 7 || (line[0] != 'I' && line[0] != 'i') ||
        core::ToUpperAscii(line.substr(0, 7)) != "INCLUDE")
        return std::nullopt;
    std::string_view rest = line.substr(7);
    const auto semicolon = rest.find(';');
    if (semicolon != std::string_view::npos) rest = rest.substr(0, semicolon);
    return StripEnclosing(rest);
}

std::optional<SourceResolver::Header> FolderResolver::FindHeader(std::string_view name) const
{
    const auto path = FindFileNoCase(m_folder, name);
    if (!path) return std::nullopt;
    auto text = core::ReadTextFile(*path);
    if (!text) return std::nullopt;
    return Header{path->filename().string(), std::move(*text)};
}

std::optional<fs::path> FolderResolver::FindModule(std::string_view fileName) const
{
    return FindFileNoCase(m_folder, fileName);
}

std::optional<std::string> FolderResolver::ReadModule(const fs::path& where) const
{
    return core::ReadTextFile(where);
}

std::optional<std::string> HeaderNameOf(std::string_view line)
{
    auto name = IncludeName(line);
    if (!name || name->size() < 2 || core::ToUpperAscii(name->substr(name->size() - 2)) != ".H")
        return std::nullopt;
    return name;
}

LineList HeaderLines(const std::vector<std::string>& names, const SourceResolver& resolver)
{
    LineList list;
    for (const std::string& name : names) {
        auto header = resolver.FindHeader(name);
        if (!header) continue;  // a missing header is skipped
        list.libraryText = header->text;
        HeaderSpan span{std::move(header->name), static_cast<int>(list.lines.size()) + 1, 0};
        for (auto& piece : core::SplitLines(header->text)) list.lines.push_back(std::move(piece));
        span.count = static_cast<int>(list.lines.size()) - span.first + 1;
        list.headers.push_back(std::move(span));
    }
    list.libraryCount = static_cast<int>(list.lines.size());
    return list;
}

}  // namespace zelo::assembler
