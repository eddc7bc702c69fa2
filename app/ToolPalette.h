#pragma once
// The tool palette: the selection tool and one tool per shape the editor
// can place. The active tool's code is the type code of what it places
// (-1 for the selection tool); the scene editor reads it on every mouse event.
#include <QWidget>
#include <cstdint>
#include <functional>

class QAction;
class QActionGroup;
class QGroupBox;
class QToolBar;

// Icon of a palette tool, drawn in code.
QIcon ToolImage(int32_t code);

class TFrameToolPalette : public QWidget {
  Q_OBJECT
public:
  explicit TFrameToolPalette(QWidget* parent = nullptr);
  // Back to the selection tool.
  void Cursor();
  void SelectTool(int32_t code);
  int32_t ToolCode = -1;
  QString ToolName;
  std::function<void(int32_t)> OnToolChanged;
  QGroupBox* gbxTools;
  QAction* actCursor;

private:
  void Activate(QAction* a);
  QActionGroup* Group;
};
