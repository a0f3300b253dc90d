// "Video compression": the codec a recording's picture is stored in, and its
// quality where the codec has one.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QSlider;

namespace kestrel {

struct VideoCodecChoice {
    std::string name;
    std::string label;
    bool takesQuality = false;
};

class VideoCodecDialog : public QDialog {
    Q_OBJECT
public:
    // `codec` is selected when listed, else the first entry.
    VideoCodecDialog(std::vector<VideoCodecChoice> codecs, const std::string& codec, int quality,
                     QWidget* owner = nullptr);
    std::string codec() const;
    int quality() const;

    QComboBox* list() const { return list_; }
    QSlider* slider() const { return slider_; }

private:
    std::vector<VideoCodecChoice> codecs_;
    QComboBox* list_;
    QSlider* slider_;
};

// Shows the dialog over `owner`; false when cancelled (nothing changes).
bool askVideoCodec(QWidget* owner, std::vector<VideoCodecChoice> codecs, std::string& codec, int& quality);

}  // namespace kestrel
