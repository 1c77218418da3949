// The service's paragraph script for book pages: marks the paragraphs that hold nothing but
// blanks, so the style sheets can collapse them.
(function () {
  var paragraphs = document.getElementsByTagName("p");
  for (var i = 0; i < paragraphs.length; i++) {
    if (!paragraphs[i].textContent.replace(/\s+/g, "")) paragraphs[i].className += " blank";
  }
})();
