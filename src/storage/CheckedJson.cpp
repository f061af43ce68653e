#include "storage/CheckedJson.h"

#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/QuotedText.h"

namespace vexaro {

namespace {

// Builds the value as the parser (which keeps its own state on the heap, not on the stack)
// reports its pieces. Each object's keys are added at its end without the ordered map's search,
// which would make a file of many keys take a time that grows with their square.
class Builder final : public nlohmann::json_sax<Json> {
 public:
  Json root;
  std::optional<std::string> why;  // the end of the sentence when a JSON value was refused

  bool null() override { return add(Json()) != nullptr; }
  bool boolean(bool value) override { return add(Json(value)) != nullptr; }
  bool number_integer(number_integer_t value) override { return add(Json(value)) != nullptr; }
  bool number_unsigned(number_unsigned_t value) override { return add(Json(value)) != nullptr; }
  bool number_float(number_float_t value, const string_t&) override {
    return add(Json(value)) != nullptr;
  }
  bool string(string_t& value) override { return add(Json(std::move(value))) != nullptr; }
  bool binary(binary_t&) override { return false; }  // not in a JSON text

  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool key(string_t& key) override {
    if (!open_.back().keys.insert(key).second) {
      why = " holds the key " + QuotedText(key) +
            " twice in one object, so it is not clear which one counts.";
      return false;
    }
    key_ = std::move(key);
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  struct Open {
    Json* value;
    std::unordered_set<std::string> keys;  // of an object
  };

  // The new value's place, or null when the file holds too many.
  Json* add(Json&& value) {
    if (++values_ > kMaxJsonValues) {
      why = " holds more than " + std::to_string(kMaxJsonValues) +
            " values; a backup or a settings file holds some 100.";
      return nullptr;
    }
    if (open_.empty()) {
      root = std::move(value);
      return &root;
    }
    Json& parent = *open_.back().value;
    if (parent.is_array()) {
      auto& items = parent.get_ref<Json::array_t&>();
      items.push_back(std::move(value));
      return &items.back();
    }
    auto& members = parent.get_ref<Json::object_t&>();
    members.emplace_back(std::move(key_), std::move(value));
    return &members.back().second;
  }

  bool open(Json&& value) {
    if (open_.size() == kMaxJsonDepth) {
      why = " nests lists and objects more than " + std::to_string(kMaxJsonDepth) +
            " deep; a backup or a settings file nests 3 deep.";
      return false;
    }
    Json* const added = add(std::move(value));
    if (added == nullptr) return false;
    open_.push_back({added, {}});
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  std::vector<Open> open_;  // the lists and objects not yet closed, innermost last
  std::string key_;         // of the next member of the innermost object
  std::size_t values_ = 0;
};

}  // namespace

Result<Json> ParseCheckedJson(std::string_view text, const std::string& name,
                              const std::string& notJson) {
  Builder builder;
  if (Json::sax_parse(text.begin(), text.end(), &builder)) return std::move(builder.root);
  return Failure{builder.why ? name + *builder.why : notJson};
}

}  // namespace vexaro
