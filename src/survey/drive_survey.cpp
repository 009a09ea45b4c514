// Placeholder until the survey lands: lists nothing.
#include "survey/drive_survey.h"

namespace zv::survey {

const std::array<const char*, 14> kDriveListCaptions = {
    "Drive", "Label", "Type", "Additional Info", "Size", "Used", "Available", "Bytes Free",
    "Format", "Volume Serial", "% Free", "Visibility", "Vendor", "Product Id"};

std::array<std::string, 13> DriveRecord::columns() const {
    return {VolumeLabel, TypeText, AdditionalInfo, sizeText, usedText, availableText, bytesFreeText,
            FileSystemName, SerialText, percentFreeText, Visibility, Vendor, ProductId};
}

DriveSurvey::DriveSurvey(platform::Platform& platform, IEventPump& pump) : m_platform(platform), m_pump(pump) {}

bool DriveSurvey::run(const SurveyOptions&, SurveyListSink& sink) {
    if (m_running) return false;
    sink.clearRows();
    return true;
}

}  // namespace zv::survey
