#pragma once
// The tool palette: the selection tool on a tool bar and below it one
// button per kind of object, in collapsible categories. The active tool's
// code is the type code of what it places (-1 for the selection tool); the
// scene editor reads it on every mouse event.
#include <QAbstractButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QGroupBox;
class QScrollArea;
class QToolBar;

// Picture number `index` of the palette (0 to 47), drawn in code.
QIcon PaletteImage(int index);

// A full-width button of the category list: a category header (caption in
// bold, a plus or minus sign) or a tool button showing its command.
class TZmPaletteButton : public QAbstractButton {
  Q_OBJECT
public:
  // action: the command a tool button shows; none for a category header.
  TZmPaletteButton(QAction* action, QWidget* parent);
  QSize sizeHint() const override;
  QAction* Action() const { return Command; }
  bool Expanded = false;  // headers only

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QAction* Command;
};

class TFrameToolPalette : public QWidget {
  Q_OBJECT
public:
  explicit TFrameToolPalette(QWidget* parent = nullptr);
  // The cursor command: back to the selection tool.
  void Cursor();
  // The width that shows every caption of the current language whole, from
  // the design width (160) up to 320; the host sizes itself by it.
  void FitWidthToCaptions();
  // The tool follows the category list's selected button (the selection
  // tool when none is selected).
  void ToolCommand();
  // Makes a tool active as if its button had been chosen; its category
  // opens. False (selection tool) when the tool is not available.
  bool SelectTool(int32_t code);
  // Opening a category closes every other; a closed category gives up its
  // selected button. Either way the tool is evaluated again.
  void SetExpanded(int category, bool expanded);
  bool IsExpanded(int category) const;
  int CategoryCount() const { return static_cast<int>(Categories.size()); }
  QAction* ActionFor(int32_t code) const;
  // The command of the category list's selected button, or none.
  QAction* SelectedCommand() const { return Selected; }

  int32_t ToolCode = -1;
  QString ToolName;
  std::function<void(int32_t)> OnToolChanged;
  QGroupBox* gbxTools;
  QToolBar* tbTools;
  QAction* actCursor;
  QWidget* cbgTools;  // the category list

  struct Category {
    TZmPaletteButton* Header;
    QWidget* Body;
    std::vector<TZmPaletteButton*> Buttons;
  };
  std::vector<Category> Categories;

private:
  void UpdateCaption();
  QActionGroup* Group;
  QAction* Selected = nullptr;
};
