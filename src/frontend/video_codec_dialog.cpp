#include "frontend/video_codec_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSlider>
#include <algorithm>

namespace kestrel {

VideoCodecDialog::VideoCodecDialog(std::vector<VideoCodecChoice> codecs, const std::string& codec, int quality,
                                   QWidget* owner)
    : QDialog(owner), codecs_(std::move(codecs)) {
    setWindowTitle("Video compression");
    list_ = new QComboBox(this);
    for (const VideoCodecChoice& c : codecs_) list_->addItem(QString::fromStdString(c.label));
    const auto it = std::find_if(codecs_.begin(), codecs_.end(), [&](const auto& c) { return c.name == codec; });
    list_->setCurrentIndex(it == codecs_.end() ? 0 : static_cast<int>(it - codecs_.begin()));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(1, 100);
    slider_->setValue(std::clamp(quality, 1, 100));
    auto follow = [this](int index) {
        slider_->setEnabled(index >= 0 && static_cast<size_t>(index) < codecs_.size() &&
                            codecs_[static_cast<size_t>(index)].takesQuality);
    };
    connect(list_, &QComboBox::currentIndexChanged, this, follow);
    follow(list_->currentIndex());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow("&Compressor:", list_);
    layout->addRow("&Quality:", slider_);
    layout->addRow(buttons);
}

std::string VideoCodecDialog::codec() const {
    const int i = list_->currentIndex();
    return i >= 0 && static_cast<size_t>(i) < codecs_.size() ? codecs_[static_cast<size_t>(i)].name : std::string();
}

int VideoCodecDialog::quality() const { return slider_->value(); }

bool askVideoCodec(QWidget* owner, std::vector<VideoCodecChoice> codecs, std::string& codec, int& quality) {
    if (codecs.empty()) return false;
    VideoCodecDialog dialog(std::move(codecs), codec, quality, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    codec = dialog.codec();
    quality = dialog.quality();
    return true;
}

}  // namespace kestrel
