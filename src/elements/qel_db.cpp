#include "elements/qel_db.h"

namespace qel {

TQelDB::TQelDB(Runtime* runtime) {
  if (!runtime) ownedRuntime_ = std::make_unique<Runtime>();
  runtime_ = runtime ? runtime : ownedRuntime_.get();
  AttachAsRoot(this);
}

TQelDB::~TQelDB() {
  // The tree must go while the runtime that registers its handles still exists.
  Clear();
  DetachFromRuntime();
}

void TQelDB::Clear() {
  while (ChildCount() > 0) DestroyChild(Child(ChildCount() - 1));
}

ByteString TQelDB::GetLangText(const ByteString&) { return {}; }

}  // namespace qel
