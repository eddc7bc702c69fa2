#pragma once
// The list of recently used project files and its menu entries.
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

class TZmRecentFile {
public:
  static constexpr int kMax = 10;

  QStringList Files;       // most recent first
  // The "Open" entry of the Open drop-down menu; the list follows the
  // separator after it. The action may sit in other menus too, so the menu
  // is named.
  QMenu* Menu = nullptr;
  QAction* Anchor = nullptr;
  std::function<void(const QString&)> OnOpen;
  // The File menu lists the same files, numbered from 1 as desktop programs
  // do, just before FileEnd (the separator above Exit).
  QMenu* FileMenu = nullptr;
  QAction* FileEnd = nullptr;
  // Paths compare without regard to case only where the file system does.
  Qt::CaseSensitivity Case = DefaultCase();

  static Qt::CaseSensitivity DefaultCase();

  // One path per line; only lines naming an existing file are kept, in order.
  void LoadFromText(const QString& text);
  // Lines ended by CR LF, as stored in the settings.
  QString Text() const;
  // Moves the path (as an absolute path) to the top, or inserts it there, and
  // keeps at most kMax entries; an empty path is ignored.
  void Add(const QString& path);
  void Remove(const QString& path);
  qsizetype IndexOf(const QString& path) const;
  // Replaces the entries after the anchor and its separator: "&i : path" for
  // each of the first max files that exists (numbers of missing files are
  // not reused).
  void RebuildMenu(int max = kMax);
  void RebuildFileMenu(int max = kMax);
};
