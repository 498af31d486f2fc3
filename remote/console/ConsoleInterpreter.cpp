#include "remote/console/ConsoleInterpreter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace vantrel::remote {

namespace {

constexpr size_t kMaxLine = 250;
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kEnter = 13;
constexpr uint8_t kEscape = 27;
constexpr uint8_t kControlC = 3;

struct SampleFile {
    const char* name;
    const char* text;
};

// "Überblick" and "Größe" in code page 437; the Japanese sample in code page
// 932 ("日本語のテキスト" and "コンソール").
constexpr SampleFile kFiles[] = {
    {"readme.txt",
     "This machine is managed remotely.\n"
     "Type HELP for the commands this interpreter knows.\n"},
    {"\x9A" "berblick.txt", "Gr\x94\xE1" "e: 4 KB\nStand: 2024-03-01\n"},
    {"nihongo.txt", "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\n"
                    "\x83\x52\x83\x93\x83\x5C\x81\x5B\x83\x8B\n"},
};

struct Entry {
    const char* date;
    const char* size;  // empty for a folder
    const char* name;
};

constexpr Entry kEntries[] = {
    {"03/01/2024  09:12", "", "."},
    {"03/01/2024  09:12", "", ".."},
    {"02/11/2024  17:40", "", "Logs"},
    {"02/11/2024  17:41", "", "Scripts"},
    {"03/01/2024  09:12", "84", "readme.txt"},
    {"03/01/2024  09:13", "37", "\x9A" "berblick.txt"},
    {"03/01/2024  09:14", "38", "nihongo.txt"},
};

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Upper(x) == Upper(y);
           });
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace

ConsoleInterpreter::ConsoleInterpreter(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      cells_(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4)
{
    Clear();
}

void ConsoleInterpreter::Start(std::string_view user, bool profile)
{
    environment_ = {{"COMPUTERNAME", "SIMULATED"},
                    {"OS", "Windows_NT"},
                    {"PATH", "C:\\Windows\\system32;C:\\Windows"},
                    {"USERNAME", user.empty() ? std::string("SYSTEM") : std::string(user)}};
    folder_ = profile && !user.empty() ? "C:\\Users\\" + std::string(user) : std::string("C:\\Windows\\system32");
    running_ = true;
    exitCode_ = 0;
    line_.clear();
    Clear();
    Write("Simulated command interpreter [Version 1.0]", kBanner);
    NewLine();
    Write("Type HELP for the commands it knows.");
    NewLine();
    NewLine();
    Prompt();
}

void ConsoleInterpreter::Stop(int32_t exitCode)
{
    running_ = false;
    exitCode_ = exitCode;
}

void ConsoleInterpreter::Key(uint32_t message, uint32_t wParam)
{
    if (!running_ || (message != 256 && message != 260))
        return;
    const auto character = static_cast<uint8_t>(wParam >> 24);
    switch (character) {
    case 0:
        return;
    case kBackspace:
        Erase();
        return;
    case kEnter: {
        const std::string line = std::exchange(line_, {});
        NewLine();
        Execute(line);
        if (running_)
            Prompt();
        return;
    }
    case kEscape:
        while (!line_.empty())
            Erase();
        return;
    case kControlC:
        line_.clear();
        Write("^C");
        NewLine();
        Prompt();
        return;
    default:
        if (character >= 0x20 && character != 0x7F)
            Type(character);
        return;
    }
}

void ConsoleInterpreter::TypeLine(std::string_view line)
{
    for (char c : line)
        Key(256, uint32_t{static_cast<uint8_t>(c)} << 24);
    Key(256, uint32_t{kEnter} << 24 | 0x0D);
}

std::string ConsoleInterpreter::RowText(int row) const
{
    std::string text;
    if (row < 0 || row >= height_)
        return text;
    for (int column = 0; column < width_; ++column)
        text.push_back(static_cast<char>(cells_[(static_cast<size_t>(row) * width_ + column) * 4]));
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

uint16_t ConsoleInterpreter::AttributeAt(int column, int row) const
{
    if (column < 0 || row < 0 || column >= width_ || row >= height_)
        return 0;
    const size_t at = (static_cast<size_t>(row) * width_ + column) * 4;
    return static_cast<uint16_t>(cells_[at + 2] | cells_[at + 3] << 8);
}

// ---- the screen -------------------------------------------------------------

void ConsoleInterpreter::Clear()
{
    for (size_t i = 0; i < cells_.size(); i += 4) {
        cells_[i] = ' ';
        cells_[i + 1] = 0;
        cells_[i + 2] = kPlain;
        cells_[i + 3] = 0;
    }
    cursorX_ = 0;
    cursorY_ = 0;
}

void ConsoleInterpreter::Put(uint8_t character, uint16_t attribute)
{
    if (cursorX_ >= width_)
        NewLine();
    const size_t at = (static_cast<size_t>(cursorY_) * width_ + cursorX_) * 4;
    cells_[at] = character;
    cells_[at + 1] = 0;
    cells_[at + 2] = static_cast<uint8_t>(attribute);
    cells_[at + 3] = static_cast<uint8_t>(attribute >> 8);
    ++cursorX_;
}

void ConsoleInterpreter::Write(std::string_view text, uint16_t attribute)
{
    for (char c : text) {
        if (c == '\n')
            NewLine();
        else
            Put(static_cast<uint8_t>(c), attribute);
    }
}

void ConsoleInterpreter::NewLine()
{
    cursorX_ = 0;
    if (cursorY_ + 1 < height_)
        ++cursorY_;
    else
        ScrollUp();
}

void ConsoleInterpreter::ScrollUp()
{
    const size_t rowBytes = static_cast<size_t>(width_) * 4;
    std::memmove(cells_.data(), cells_.data() + rowBytes, cells_.size() - rowBytes);
    for (size_t i = cells_.size() - rowBytes; i < cells_.size(); i += 4) {
        cells_[i] = ' ';
        cells_[i + 1] = 0;
        cells_[i + 2] = kPlain;
        cells_[i + 3] = 0;
    }
}

void ConsoleInterpreter::Prompt()
{
    Write(folder_ + ">");
}

void ConsoleInterpreter::Type(uint8_t character)
{
    if (line_.size() >= kMaxLine)
        return;
    line_.push_back(static_cast<char>(character));
    Put(character, kPlain);
}

void ConsoleInterpreter::Erase()
{
    if (line_.empty())
        return;
    line_.pop_back();
    if (cursorX_ > 0) {
        --cursorX_;
    } else if (cursorY_ > 0) {
        --cursorY_;
        cursorX_ = width_ - 1;
    }
    const size_t at = (static_cast<size_t>(cursorY_) * width_ + cursorX_) * 4;
    cells_[at] = ' ';
    cells_[at + 2] = kPlain;
}

// ---- commands ---------------------------------------------------------------

void ConsoleInterpreter::Execute(const std::string& line)
{
    const std::string_view text = Trim(line);
    if (text.empty())
        return;
    const size_t space = text.find(' ');
    const std::string_view command = text.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(text.substr(space + 1));
    if (SameWord(command, "dir"))
        Dir();
    else if (SameWord(command, "echo"))
        Echo(rest);
    else if (SameWord(command, "cls"))
        Clear();
    else if (SameWord(command, "type"))
        TypeFile(rest);
    else if (SameWord(command, "set"))
        Set(rest);
    else if (SameWord(command, "help"))
        Help();
    else if (SameWord(command, "exit"))
        Exit(rest);
    else {
        Write("'" + std::string(command) + "' is not recognized as an internal or external command,\n"
              "operable program or batch file.\n",
              kError);
    }
    if (running_ && cursorX_ != 0)
        NewLine();
    if (running_ && !SameWord(command, "cls"))
        NewLine();
}

void ConsoleInterpreter::Dir()
{
    Write(" Volume in drive C has no label.\n Volume Serial Number is 4A1C-7E02\n\n Directory of " + folder_ +
          "\n\n");
    int files = 0;
    int folders = 0;
    for (const Entry& entry : kEntries) {
        const bool folder = entry.size[0] == '\0';
        std::string size = folder ? std::string("<DIR>         ") : std::string(entry.size);
        if (!folder)
            size = std::string(14 - std::min<size_t>(size.size(), 14), ' ') + size;
        Write(std::string(entry.date) + "    " + size + " ");
        Write(entry.name, folder ? kFolder : kPlain);
        NewLine();
        (folder ? folders : files) += 1;
    }
    Write("               " + std::to_string(files) + " File(s)            159 bytes\n");
    Write("               " + std::to_string(folders) + " Dir(s)  41,237,602,304 bytes free");
}

void ConsoleInterpreter::Echo(std::string_view text)
{
    Write(text.empty() ? std::string_view("ECHO is on.") : text);
}

void ConsoleInterpreter::TypeFile(std::string_view name)
{
    for (const SampleFile& file : kFiles) {
        if (SameWord(name, file.name)) {
            Write(file.text);
            return;
        }
    }
    Write(name.empty() ? "The syntax of the command is incorrect." : "The system cannot find the file specified.",
          kError);
}

void ConsoleInterpreter::Set(std::string_view text)
{
    const size_t equals = text.find('=');
    if (equals != std::string_view::npos && equals > 0) {
        std::string name(Trim(text.substr(0, equals)));
        for (auto it = environment_.begin(); it != environment_.end(); ++it) {
            if (SameWord(it->first, name)) {
                name = it->first;
                environment_.erase(it);
                break;
            }
        }
        if (equals + 1 < text.size())
            environment_[name] = std::string(text.substr(equals + 1));
        return;
    }
    bool any = false;
    for (const auto& [name, value] : environment_) {
        if (!text.empty() && !(name.size() >= text.size() && SameWord(std::string_view(name).substr(0, text.size()), text)))
            continue;
        Write(name + "=" + value + "\n");
        any = true;
    }
    if (!any)
        Write("Environment variable " + std::string(text) + " not defined", kError);
}

void ConsoleInterpreter::Help()
{
    Write("CLS      Clears the screen.\n"
          "DIR      Displays the files and folders of the current folder.\n"
          "ECHO     Displays a message.\n"
          "EXIT     Quits the interpreter, with an exit code if one is given.\n"
          "SET      Displays, sets or removes environment variables.\n"
          "TYPE     Displays the contents of a text file.");
}

void ConsoleInterpreter::Exit(std::string_view code)
{
    int32_t value = 0;
    if (!code.empty()) {
        const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
        if (error != std::errc() || end != code.data() + code.size())
            value = 0;
    }
    Stop(value);
}

}  // namespace vantrel::remote
