// Paint as the SVG reader's traversal reports it, made a PaintValue: none, currentColor, a
// colour, or a reference (a gradient, with its mean colour). Included by svg_read.cpp alone,
// whose one translation unit holds all of svgpp.
#pragma once

#include "svg_gradient.h"
#include "svg_style.h"

#include <boost/range.hpp>
#include <svgpp/definitions.hpp>
#include <svgpp/factory/icc_color_stub.hpp>

#include <map>
#include <string>

// Sets a fill or a stroke paint from what svgpp parsed: none, currentColor, a colour or a
// reference (a gradient, anything else by the fallback).
template <class AttributeTag> class PaintSetter {
  public:
    PaintSetter(PaintValue* paint, const std::map<std::string, GradientPaint>* gradients)
        : paint(paint), gradients(gradients) {}

    void set(AttributeTag, svgpp::tag::value::none) {
        *paint = PaintValue{};
    }
    void set(AttributeTag, svgpp::tag::value::currentColor) {
        *paint = PaintValue{PaintKind::currentColour};
    }
    void set(AttributeTag, int rgb, svgpp::tag::skip_icc_color = svgpp::tag::skip_icc_color()) {
        *paint = PaintValue{PaintKind::colour, fromInteger(rgb)};
    }
    template <class IRI> void set(AttributeTag, const IRI&) {
        *paint = PaintValue{};
    }
    template <class IRI> void set(AttributeTag, svgpp::tag::iri_fragment, const IRI& id) {
        referTo(id, PaintValue{});
    }
    template <class IRI> void set(AttributeTag t, const IRI&, svgpp::tag::value::none v) {
        set(t, v);
    }
    template <class IRI>
    void set(AttributeTag, svgpp::tag::iri_fragment, const IRI& id, svgpp::tag::value::none) {
        referTo(id, PaintValue{});
    }
    template <class IRI> void set(AttributeTag t, const IRI&, svgpp::tag::value::currentColor v) {
        set(t, v);
    }
    template <class IRI>
    void set(AttributeTag, svgpp::tag::iri_fragment, const IRI& id,
             svgpp::tag::value::currentColor) {
        referTo(id, PaintValue{PaintKind::currentColour});
    }
    template <class IRI>
    void set(AttributeTag t, const IRI&, int rgb,
             svgpp::tag::skip_icc_color = svgpp::tag::skip_icc_color()) {
        set(t, rgb);
    }
    template <class IRI>
    void set(AttributeTag, svgpp::tag::iri_fragment, const IRI& id, int rgb,
             svgpp::tag::skip_icc_color = svgpp::tag::skip_icc_color()) {
        referTo(id, PaintValue{PaintKind::colour, fromInteger(rgb)});
    }

  private:
    template <class IRI> void referTo(const IRI& id, const PaintValue& fallback) {
        auto gradient = gradients->find(std::string(boost::begin(id), boost::end(id)));
        if (gradient == gradients->end()) {
            *paint = fallback;
        } else if (gradient->second.opacity <= 0) {
            *paint = PaintValue{};
        } else {
            *paint = {PaintKind::colour, gradient->second.colour, gradient->second.opacity,
                      &gradient->second};
        }
    }

    PaintValue* paint;
    const std::map<std::string, GradientPaint>* gradients;
};
