#include "ui/tool_help.h"

#include <QLabel>
#include <QVBoxLayout>

namespace linea {

namespace {

struct HelpText {
  const char* objectName;
  const char* title;
  const char* text;  // the runs of blanks stand as in the dialog templates
};

constexpr HelpText kHelpTexts[] = {
    {"lineHelp", "",
     "Выбор следующей точки - нажать  ЛЕВУЮ КНОПКУ МЫШИ   Удалить выбранную точку  -  нажать ПРАВУЮ КНОПКУ "
     "МЫШИ  Завершить линию - ДВАЖДЫ нажать ЛЕВУЮ КНОПКУ МЫШИ Отменить эту линию                - нажать       "
     "        ESC"},
    {"mergeHelp", "Слить блоки",
     "Выбрать 2 соседних блока нажимая ЛЕВУЮ КНОПКУ Отменить выбор, нажать                  ПРАВУЮ КНОПКУ "
     "Отменить операцию, нажать                            ESC"},
    {"excludeHelp", "Не учитывать блок",
     "Выбрать блок, нажав  ЛЕВУЮ КНОПКУ Отменить операцию, нажать            ESC"},
};

constexpr int kTextWidth = 260;  // pixels; the text wraps in its box

}  // namespace

CToolHelp::CToolHelp(ToolHelpKind kind, QWidget* parent) : QDialog(parent, Qt::Tool), kind_(kind) {
  const HelpText& help = kHelpTexts[static_cast<int>(kind)];
  setObjectName(QString::fromLatin1(help.objectName));
  setWindowTitle(QString::fromUtf8(help.title));
  setModal(false);
  // The view keeps the keyboard: Esc and Enter are the view's.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  text_ = new QLabel(QString::fromUtf8(help.text), this);
  text_->setWordWrap(true);
  text_->setFixedWidth(kTextWidth);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  adjustSize();
}

QString CToolHelp::Text() const { return text_->text(); }

}  // namespace linea
