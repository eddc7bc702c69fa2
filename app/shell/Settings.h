#pragma once
// Per-user settings. QSettings with organisation "Zm" and application
// "Kestrava" stands for the key "Software\Zm\Kestrava"; below it every value
// lives under "v1.0" and its sub-key, with the documented value names and
// types: binary values are exactly four little-endian bytes.
#include <QSettings>
#include <QString>
#include <cstdint>

class TZmRegistry {
public:
  enum Mode { Read = 0, Write = 1 };
  static constexpr const char* KeyPath = "Software\\Zm\\Kestrava\\v1.0";

  explicit TZmRegistry(int accessMode);
  int AccessMode;

  // Read mode: the value replaces `value` only when it exists with the right
  // type and size; a badly typed value is ignored and the default stays.
  // Write mode: stores `value`. Any other mode does nothing.
  void ExchangeBinary(const QString& subKey, const QString& name, int32_t& value);
  void ExchangeString(const QString& subKey, const QString& name, QString& value);
  void Sync() { Store.sync(); }
  QString FileName() const { return Store.fileName(); }

  // The QSettings key of a sub-key ("\VCOM") and value name ("COM1").
  static QString Key(const QString& subKey, const QString& name);

private:
  QSettings Store;
};

// The values the main window reads when it is created and writes back when
// it is destroyed.
struct TZmAppSettings {
  QString RecentProject;  // full paths, each line ended by CR LF
  int32_t DrawLine400 = 1;
  QString Com1, Com2;
  int32_t OffLine = 0;
  QString Port;
  // The window as the user left it: its geometry (Qt's own form, in base64)
  // and the width of the project panel.
  QString WindowGeometry;
  int32_t TreeWidth = 280;

  void Exchange(TZmRegistry& registry);
};

// The stored user-interface language, or 0 when none is stored (or it is
// badly typed).
int32_t ReadLanguageId();
void WriteLanguageId(int32_t id);
