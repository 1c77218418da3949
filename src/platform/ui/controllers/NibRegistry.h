// NibRegistry: the application's interface files, each a builder function registered by name
// (NibRegistry::shared(), main thread only). Loading a file runs its builder with a NibLoading
// context: the builder makes the file's objects, names the top-level ones in order and declares
// its outlet connections, including the file owner's; the registry then wires every outlet and
// only after that calls awakeFromNib on each object made, in the order made — so an object's
// awakeFromNib can read any outlet of the file.
//
// Kept from the phone: the result is the top-level objects in file order; the owner is not one
// of them and gets no awakeFromNib; outlets are set before any awakeFromNib. Loading a name that
// is not registered gives nothing: an empty answer, which every caller checks, rather than an
// exception that none of them catches.
// Builders and outlet connections hold the made objects strongly only while the file loads; the
// caller keeps what it needs (top-level objects, or the owner's outlets).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu::ui {

class View;
class ViewController;

class NibLoading {
 public:
  explicit NibLoading(std::shared_ptr<Object> owner) : owner_(std::move(owner)) {}

  // The file owner (may be null).
  const std::shared_ptr<Object>& owner() const { return owner_; }

  // Makes an object of the file (it gets awakeFromNib after wiring).
  template <typename T, typename... Args>
  std::shared_ptr<T> make(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    made_.push_back(object);
    return object;
  }
  // Makes an object and lists it among the top-level objects.
  template <typename T, typename... Args>
  std::shared_ptr<T> makeTopLevel(Args&&... args) {
    auto object = make<T>(std::forward<Args>(args)...);
    topLevel_.push_back(object);
    return object;
  }
  // Declares an outlet connection; it is made after every object exists.
  void connect(std::function<void()> wire) { wires_.push_back(std::move(wire)); }
  // An outlet of the owner: `wire` runs only when the owner is a T.
  template <typename T>
  void connectOwner(std::function<void(T&)> wire) {
    std::shared_ptr<Object> owner = owner_;
    wires_.push_back([owner, wire = std::move(wire)] {
      if (auto* typed = dynamic_cast<T*>(owner.get())) wire(*typed);
    });
  }
  // The owner's "view" outlet, when the owner is a view controller.
  void connectOwnerView(const std::shared_ptr<View>& view);

 private:
  friend class NibRegistry;
  std::shared_ptr<Object> owner_;
  std::vector<std::shared_ptr<Object>> made_;
  std::vector<std::shared_ptr<Object>> topLevel_;
  std::vector<std::function<void()>> wires_;
};

class NibRegistry {
 public:
  using Builder = std::function<void(NibLoading&)>;

  static NibRegistry& shared();

  // Registers (or replaces) the builder of the file `name`.
  void add(const std::string& name, Builder builder);
  bool contains(const std::string& name) const { return builders_.count(name) != 0; }
  // Runs the builder with `owner`, wires the outlets, calls awakeFromNib on each object made,
  // and returns the top-level objects in order. Empty when `name` is not registered.
  std::vector<std::shared_ptr<Object>> load(const std::string& name,
                                            const std::shared_ptr<Object>& owner = nullptr);

  // Forgets every builder (between tests).
  void resetForTesting() { builders_.clear(); }

 private:
  NibRegistry() = default;
  std::map<std::string, Builder> builders_;
};

}  // namespace zu::ui
