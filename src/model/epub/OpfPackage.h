// OpfPackage: an OPF package document: its metadata, manifest and spine. A plain record of the
// ePub package model (accessors only, not archivable, not locked); held through std::shared_ptr.
#pragma once

#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpfManifest;
class OpfMetadata;
class OpfSpine;

class OpfPackage : public Object {
 public:
  const std::shared_ptr<OpfMetadata>& metadata() const { return metadata_; }
  void setMetadata(std::shared_ptr<OpfMetadata> v) { metadata_ = std::move(v); }
  const std::shared_ptr<OpfManifest>& manifest() const { return manifest_; }
  void setManifest(std::shared_ptr<OpfManifest> v) { manifest_ = std::move(v); }
  const std::shared_ptr<OpfSpine>& spine() const { return spine_; }
  void setSpine(std::shared_ptr<OpfSpine> v) { spine_ = std::move(v); }

 private:
  std::shared_ptr<OpfMetadata> metadata_;
  std::shared_ptr<OpfManifest> manifest_;
  std::shared_ptr<OpfSpine> spine_;
};

}  // namespace zu
