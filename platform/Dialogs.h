#pragma once
// The desktop's dialogs: a message box, a save-file dialog and a colour
// dialog, behind one provider that tests replace. The default provider
// runs zenity when it is on PATH and a display is open; otherwise a
// message goes to standard error and a dialog answers "cancelled". Every
// call blocks until the user answers: run it off the render thread.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

using Rgb = std::array<uint8_t, 3>;

class DialogProvider {
 public:
  enum class Icon { Information, Error };
  struct FileFilter {
    std::string name;       // "STL files"
    std::string extension;  // ".stl"
  };

  virtual ~DialogProvider() = default;
  virtual void messageBox(const std::string& title, const std::string& text, Icon icon) = 0;
  // The path chosen, or nothing when cancelled.
  virtual std::optional<std::string> saveFile(const std::string& title, const std::string& suggestedName,
                                              const std::vector<FileFilter>& filters) = 0;
  // The colour chosen, or nothing when cancelled.
  virtual std::optional<Rgb> chooseColour(const std::string& title, Rgb initial) = 0;
};

// The provider in use; setDialogProvider(nullptr) brings the default back.
std::shared_ptr<DialogProvider> dialogs();
void setDialogProvider(std::shared_ptr<DialogProvider> provider);

// What zenity prints for a colour ("rgb(1,2,3)", "rgba(1,2,3,0.5)",
// "#010203"), or nothing.
std::optional<Rgb> parseColourAnswer(const std::string& answer);

}  // namespace platform
