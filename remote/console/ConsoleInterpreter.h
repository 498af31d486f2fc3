// The simulated machine's console: a screen buffer of character cells with a
// cursor, and a small command interpreter running in it that echoes the keys
// it is sent and knows dir, echo, cls, type, set, help and exit.
//
// Characters are single bytes of the OEM code page (437 here), except the
// Japanese sample file, whose bytes are code page 932, one byte per cell as a
// double-byte console keeps them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::remote {

class ConsoleInterpreter {
public:
    ConsoleInterpreter(int width, int height);

    // A fresh interpreter: blank screen, banner, prompt. `user` names the
    // account it runs as (empty: the host's); with `profile` it starts in the
    // user's own folder.
    void Start(std::string_view user, bool profile);
    // The child process ends with this code (802, or "exit").
    void Stop(int32_t exitCode);

    // One key message (256, 257, 260, 261) with its WPARAM: key-downs with a
    // character are typed; everything else is ignored.
    void Key(uint32_t message, uint32_t wParam);
    // Types a text followed by Enter, as the keys would.
    void TypeLine(std::string_view line);

    bool Running() const { return running_; }
    int32_t ExitCode() const { return exitCode_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int CursorX() const { return cursorX_; }
    int CursorY() const { return cursorY_; }
    int CursorSize() const { return 25; }
    bool CursorVisible() const { return running_; }

    // The screen buffer as it travels: 4 bytes a cell (character, attribute),
    // row by row.
    const std::vector<uint8_t>& Bytes() const { return cells_; }
    // The characters of a row, trailing blanks removed.
    std::string RowText(int row) const;
    uint16_t AttributeAt(int column, int row) const;

    // Default colours, and those of the banner, folders and errors.
    static constexpr uint16_t kPlain = 0x07;
    static constexpr uint16_t kBanner = 0x1F;
    static constexpr uint16_t kFolder = 0x0B;
    static constexpr uint16_t kError = 0x0C;

private:
    void Clear();
    void Write(std::string_view text, uint16_t attribute = kPlain);
    void Put(uint8_t character, uint16_t attribute);
    void NewLine();
    void ScrollUp();
    void Prompt();
    void Type(uint8_t character);
    void Erase();
    void Execute(const std::string& line);

    void Dir();
    void Echo(std::string_view text);
    void TypeFile(std::string_view name);
    void Set(std::string_view text);
    void Help();
    void Exit(std::string_view code);

    int width_;
    int height_;
    std::vector<uint8_t> cells_;
    int cursorX_ = 0;
    int cursorY_ = 0;
    std::string folder_;
    std::string line_;
    bool running_ = false;
    int32_t exitCode_ = 0;
    std::map<std::string, std::string> environment_;
};

}  // namespace vantrel::remote
