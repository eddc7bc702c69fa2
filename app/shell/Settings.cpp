#include "app/shell/Settings.h"

#include <QByteArray>
#include <QVariant>

TZmRegistry::TZmRegistry(int accessMode) : AccessMode(accessMode), Store(QStringLiteral("Zm"), QStringLiteral("Kestrava")) {}

QString TZmRegistry::Key(const QString& subKey, const QString& name)
{
  QString path = QStringLiteral("v1.0") + subKey;
  path.replace('\\', '/');
  return path + '/' + name;
}

void TZmRegistry::ExchangeBinary(const QString& subKey, const QString& name, int32_t& value)
{
  const QString key = Key(subKey, name);
  if (AccessMode == Read) {
    QVariant v = Store.value(key);
    if (v.typeId() != QMetaType::QByteArray) return;
    QByteArray b = v.toByteArray();
    if (b.size() != 4) return;
    auto u = [&](int i) { return static_cast<uint32_t>(static_cast<uint8_t>(b[i])); };
    value = static_cast<int32_t>(u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24));
  } else if (AccessMode == Write) {
    auto u = static_cast<uint32_t>(value);
    QByteArray b;
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>((u >> (8 * i)) & 0xFF));
    Store.setValue(key, b);
  }
}

void TZmRegistry::ExchangeString(const QString& subKey, const QString& name, QString& value)
{
  const QString key = Key(subKey, name);
  if (AccessMode == Read) {
    QVariant v = Store.value(key);
    if (v.typeId() == QMetaType::QString) value = v.toString();
  } else if (AccessMode == Write) {
    Store.setValue(key, value);
  }
}

void TZmAppSettings::Exchange(TZmRegistry& r)
{
  r.ExchangeString(QString(), QStringLiteral("RecentProject"), RecentProject);
  r.ExchangeBinary(QStringLiteral("\\EditOption"), QStringLiteral("DrawLine400"), DrawLine400);
  r.ExchangeString(QStringLiteral("\\VCOM"), QStringLiteral("COM1"), Com1);
  r.ExchangeString(QStringLiteral("\\VCOM"), QStringLiteral("COM2"), Com2);
  r.ExchangeBinary(QStringLiteral("\\VCOM"), QStringLiteral("OffLine"), OffLine);
  r.ExchangeString(QStringLiteral("\\VCOM"), QStringLiteral("PORT"), Port);
  r.ExchangeString(QStringLiteral("\\Window"), QStringLiteral("Geometry"), WindowGeometry);
  r.ExchangeBinary(QStringLiteral("\\Window"), QStringLiteral("TreeWidth"), TreeWidth);
}

int32_t ReadLanguageId()
{
  int32_t id = 0;
  TZmRegistry r(TZmRegistry::Read);
  r.ExchangeBinary(QStringLiteral("\\Default"), QStringLiteral("LocalID"), id);
  return id;
}

void WriteLanguageId(int32_t id)
{
  TZmRegistry r(TZmRegistry::Write);
  r.ExchangeBinary(QStringLiteral("\\Default"), QStringLiteral("LocalID"), id);
}
