#include "toolkit/FormReader.h"

#include <cctype>

#include "toolkit/Forms.h"
#include "toolkit/SysUtils.h"

namespace vcl {

bool TValue::AsBool() const {
  if (kind == Kind::Identifier && (text == "True" || text == "False")) return text == "True";
  throw EReadError("Invalid property value: a Boolean is expected");
}

int TValue::AsInt() const {
  if (kind == Kind::Integer) return static_cast<int>(integer);
  throw EReadError("Invalid property value: an integer is expected");
}

const std::string& TValue::AsString() const {
  if (kind == Kind::String) return text;
  throw EReadError("Invalid property value: a string is expected");
}

const std::string& TValue::AsIdentifier() const {
  if (kind == Kind::Identifier) return text;
  throw EReadError("Invalid property value: an identifier is expected");
}

const std::vector<std::string>& TValue::AsSet() const {
  if (kind == Kind::Set) return items;
  throw EReadError("Invalid property value: a set is expected");
}

TClassRegistry& TClassRegistry::Instance() {
  static TClassRegistry registry;
  return registry;
}

void TClassRegistry::Register(TClassInfo info) {
  std::string name = info.name;
  classes_[name] = std::move(info);
}

const TClassInfo* TClassRegistry::Find(std::string_view name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? nullptr : &it->second;
}

const TPropertyInfo* TClassRegistry::FindProperty(std::string_view className,
                                                  std::string_view property) const {
  for (const TClassInfo* c = Find(className); c;
       c = c->parent.empty() ? nullptr : Find(c->parent)) {
    auto it = c->properties.find(property);
    if (it != c->properties.end()) return &it->second;
  }
  return nullptr;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  void ReadRoot(TForm& root) {
    root_ = &root;
    ExpectWord("object");
    std::string name = Identifier();
    Expect(':');
    std::string className = Identifier();
    if (className != root.ClassName()) {
      Fail("the definition is of class " + className + ", not " + root.ClassName());
    }
    root.SetName(name);
    root.BeginLoading();
    created_.push_back(&root);
    ReadBody(root, className, nullptr);
    SkipBlanks();
    if (pos_ != text_.size()) Fail("text after the end of the form");
    for (auto& fixup : fixups_) {
      TComponent* target = root.FindComponent(fixup.name);
      if (!target) Fail("no component named " + fixup.name);
      fixup.property->setReference(*fixup.component, target);
    }
    for (TComponent* c : created_) c->Loaded();
  }

 private:
  struct Fixup {
    TComponent* component;
    const TPropertyInfo* property;
    std::string name;
  };

  [[noreturn]] void Fail(const std::string& what) {
    int line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
    throw EReadError("Error reading form definition, line " + std::to_string(line) + ": " + what);
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  bool Peek(char c) {
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
  }

  void Expect(char c) {
    if (!Peek(c)) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  std::string Identifier() {
    SkipBlanks();
    size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '_' || (pos_ > start && text_[pos_] == '.'))) {
      ++pos_;
    }
    if (start == pos_) Fail("identifier expected");
    return std::string(text_.substr(start, pos_ - start));
  }

  void ExpectWord(std::string_view word) {
    if (Identifier() != word) Fail(std::string(word) + " expected");
  }

  bool PeekWord(std::string_view word) {
    SkipBlanks();
    if (text_.substr(pos_, word.size()) != word) return false;
    size_t after = pos_ + word.size();
    return after == text_.size() ||
           !(std::isalnum(static_cast<unsigned char>(text_[after])) || text_[after] == '_');
  }

  std::string String() {
    Expect('\'');
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      char c = text_[pos_++];
      if (c == '\'') {
        if (pos_ < text_.size() && text_[pos_] == '\'') {
          out += '\'';
          ++pos_;
          continue;
        }
        break;
      }
      out += c;
      // The trail byte of a two-byte character may look like a quote; take it as it is.
      if (IsLeadByte(static_cast<unsigned char>(c)) && pos_ < text_.size()) out += text_[pos_++];
    }
    return out;
  }

  TValue Value() {
    SkipBlanks();
    TValue v;
    if (pos_ >= text_.size()) Fail("value expected");
    char c = text_[pos_];
    if (c == '\'') {
      v.kind = TValue::Kind::String;
      v.text = String();
    } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
      v.kind = TValue::Kind::Integer;
      size_t start = pos_++;
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      std::string digits(text_.substr(start, pos_ - start));
      if (digits == "-") Fail("number expected");
      v.integer = std::stoll(digits);
    } else if (c == '[') {
      v.kind = TValue::Kind::Set;
      ++pos_;
      while (!Peek(']')) {
        v.items.push_back(Identifier());
        if (!Peek(']')) Expect(',');
      }
      ++pos_;
    } else if (c == '(') {
      v.kind = TValue::Kind::List;
      ++pos_;
      while (!Peek(')')) v.items.push_back(String());
      ++pos_;
    } else {
      v.kind = TValue::Kind::Identifier;
      v.text = Identifier();
    }
    return v;
  }

  void ReadBody(TComponent& component, const std::string& className, TControl* parent) {
    for (;;) {
      if (PeekWord("end")) {
        Identifier();
        return;
      }
      if (PeekWord("object")) {
        ReadObject(component, dynamic_cast<TControl*>(&component)
                                  ? dynamic_cast<TControl*>(&component)
                                  : parent);
        continue;
      }
      std::string property = Identifier();
      Expect('=');
      TValue value = Value();
      const TPropertyInfo* info = TClassRegistry::Instance().FindProperty(className, property);
      if (!info) Fail("property " + property + " does not exist in " + className);
      switch (info->kind) {
        case TPropertyInfo::Kind::Value:
          try {
            info->setValue(component, value);
          } catch (const EReadError& e) {
            Fail(property + ": " + e.Message());
          }
          break;
        case TPropertyInfo::Kind::Event: {
          TNotifyEvent handler = root_->MethodAddress(value.AsIdentifier());
          if (!handler) Fail("method " + value.text + " not found");
          info->setEvent(component, std::move(handler));
          break;
        }
        case TPropertyInfo::Kind::Reference:
          fixups_.push_back(Fixup{&component, info, value.AsIdentifier()});
          break;
      }
    }
  }

  void ReadObject(TComponent& enclosing, TControl* parent) {
    ExpectWord("object");
    std::string name = Identifier();
    Expect(':');
    std::string className = Identifier();
    const TClassInfo* info = TClassRegistry::Instance().Find(className);
    if (!info || !info->create) Fail("class " + className + " not found");
    if (root_->FindComponent(name)) Fail("a component named " + name + " already exists");
    TComponent* component = info->create(root_);
    component->BeginLoading();
    component->SetName(name);
    created_.push_back(component);
    if (auto* control = dynamic_cast<TControl*>(component)) control->SetParent(parent);
    component->SetParentComponent(&enclosing);
    ReadBody(*component, className, parent);
  }

  std::string_view text_;
  size_t pos_ = 0;
  TForm* root_ = nullptr;
  std::vector<TComponent*> created_;
  std::vector<Fixup> fixups_;
};

}  // namespace

void ReadFormDefinition(TForm& root, std::string_view definition) {
  Parser(definition).ReadRoot(root);
}

}  // namespace vcl
