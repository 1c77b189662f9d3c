// Prints what a test needs to know of a picture: its width and height, the
// number of distinct colours in it and the share, in percent, of its
// commonest colour; so that a test can tell a drawn picture from a blank one.
//
//   image_facts PNG
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <unordered_map>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: image_facts PNG\n", stderr);
    return 2;
  }
  const QImage image =
      QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "image_facts: cannot read %s as a picture\n", argv[1]);
    return 1;
  }
  std::unordered_map<QRgb, long long> counts;
  long long commonest = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) commonest = std::max(commonest, ++counts[line[x]]);
  }
  const long long pixels = static_cast<long long>(image.width()) * image.height();
  std::printf("%d %d %zu %lld\n", image.width(), image.height(), counts.size(),
              pixels == 0 ? 100 : commonest * 100 / pixels);
  return 0;
}
