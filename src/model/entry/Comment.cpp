#include "model/entry/Comment.h"

namespace zu {

std::string Comment::archiveClassName() const { return "Comment"; }

}  // namespace zu
