#pragma once
// Files dropped on the window: a project (.orw) is opened as by "Открыть Проект"
// (with the save-changes question first), an image after asking which kind to
// open it as — greyscale, elevation model, scheme or view raster — by the open
// command of that kind. Only the first file of a drop counts; it is opened from
// the event loop right after the drop.

#include <functional>
#include <optional>
#include <string>

#include <QObject>

class QMimeData;
class QWidget;

namespace linea {

enum class DroppedFileKind { None, Project, Image };

// What a file is by its extension (without regard to case).
DroppedFileKind ClassifyDroppedFile(const std::string& path);
// The first local file of a drag; nothing when it carries none.
std::optional<std::string> DroppedFile(const QMimeData& data);

// The open commands an image may be opened with, in the order they are offered:
// greyscale, elevation model, scheme, view raster.
inline constexpr int kImageOpenCommands[] = {32786, 32776, 32781, 32778};
inline constexpr int kProjectOpenCommand = 57601;

// Asks which of kImageOpenCommands to open `path` with; nothing when cancelled.
std::optional<int> AskImageOpenCommand(QWidget* parent, const std::string& path);

class CDropOpener : public QObject {
  Q_OBJECT
 public:
  // Lets `window` take drops and watches them; the window must outlive the opener.
  explicit CDropOpener(QWidget& window);

  // Which command opens a dropped image; the default asks the user.
  std::function<std::optional<int>(const std::string& path)> chooseImageCommand;
  // Runs the open command `commandId` on `path` as if the user had chosen it there.
  std::function<void(int commandId, const std::string& path)> openWith;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Open(const std::string& path);

  QWidget& window_;
};

}  // namespace linea
