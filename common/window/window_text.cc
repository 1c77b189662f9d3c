#include "common/window/window_text.h"

#include <QStringDecoder>

namespace korav {

QString FromBytes(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string ToBytes(const QString& text, const std::string& original) {
  if (!original.empty() && FromBytes(original) == text) return original;
  return text.toUtf8().toStdString();
}

}  // namespace korav
