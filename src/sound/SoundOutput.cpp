#include "sound/SoundOutput.h"

namespace vexaro {
namespace {

class NoSoundOutput final : public SoundOutput {
 public:
  explicit NoSoundOutput(std::string why) : why_(std::move(why)) {}
  Result<void> start(std::vector<std::int16_t>) override {
    return Failure{NoSoundOutputText(why_)};
  }
  void stop() override {}
  SoundProgress progress() override { return {}; }

 private:
  std::string why_;
};

}  // namespace

std::string NoSoundOutputText(const std::string& why) {
  return "No sound output: " + why;
}

std::unique_ptr<SoundOutput> MakeNoSoundOutput(std::string why) {
  return std::make_unique<NoSoundOutput>(std::move(why));
}

}  // namespace vexaro
