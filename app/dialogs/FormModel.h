#pragma once
// The model chooser of New: every installed panel model with its description.
#include <QDialog>
#include <vector>

class QListWidget;
class TZmModel;

class TFormModel : public QDialog {
  Q_OBJECT
public:
  explicit TFormModel(QWidget* parent = nullptr);
  // Fills the list from the model database (valid models only).
  void Fill();
  // The chosen model after exec(); none when nothing is chosen.
  const TZmModel* Chosen() const;
  QListWidget* lvModel;

private:
  std::vector<const TZmModel*> Models;
};
