// Test helper: keeps the black-box settings of version and revision, which
// session files change for the whole process, and puts them back.
#ifndef KRVWD7_TESTS_VERSIONSETTINGSKEEPER_H_
#define KRVWD7_TESTS_VERSIONSETTINGSKEEPER_H_

#include "KRVIWD7BlackBoxSettingAtt.h"

class VersionSettingsKeeper {
 public:
  VersionSettingsKeeper() {
    void* out = nullptr;
    if (GetKRVWD7BlackBoxSettingCtrl(IID_KRVIWD7BlackBoxSettingAtt, &out) < 0) return;
    settings_ = static_cast<KRVIWD7BlackBoxSettingAtt*>(out);
    settings_->GetVersionSource(version_source_);
    settings_->GetVersionAttribute(version_attribute_);
    settings_->GetVersionProperty(version_property_);
    settings_->GetRevisionSource(revision_source_);
    settings_->GetRevisionAttribute(revision_attribute_);
    settings_->GetRevisionProperty(revision_property_);
  }
  ~VersionSettingsKeeper() {
    if (!settings_) return;
    settings_->SetVersionSource(version_source_);
    settings_->SetVersionAttribute(version_attribute_);
    settings_->SetVersionProperty(version_property_);
    settings_->SetRevisionSource(revision_source_);
    settings_->SetRevisionAttribute(revision_attribute_);
    settings_->SetRevisionProperty(revision_property_);
    settings_->Release();
  }
  VersionSettingsKeeper(const VersionSettingsKeeper&) = delete;
  VersionSettingsKeeper& operator=(const VersionSettingsKeeper&) = delete;

 private:
  KRVIWD7BlackBoxSettingAtt* settings_ = nullptr;  // one reference held
  int version_source_ = 0, version_attribute_ = 0;
  int revision_source_ = 0, revision_attribute_ = 0;
  CATUnicodeString version_property_, revision_property_;
};

#endif  // KRVWD7_TESTS_VERSIONSETTINGSKEEPER_H_
