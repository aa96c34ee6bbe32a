<?xml version="1.0" encoding="UTF-8"?>
<!--
  Turns a news feed into the display program's cache document (docs/news-cache-format.md).
  Understood: RSS 0.91, 0.92 and 2.0 (rss/channel), RSS 0.90 and 1.0 (rdf:RDF with channel and items as
  siblings), Atom 0.3 and 1.0 (feed/entry). Elements are matched by namespace, so any prefix (or none) works.
  Anything else (HTML, XHTML, OPML, other XML) gives an empty cachedata element without a title, which is how
  the settings program tells that an address is not a feed.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"
    xmlns:rss09="http://my.netscape.com/rdf/simple/0.9/"
    xmlns:rss10="http://purl.org/rss/1.0/"
    xmlns:atom03="http://purl.org/atom/ns#"
    xmlns:atom="http://www.w3.org/2005/Atom"
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:content="http://purl.org/rss/1.0/modules/content/"
    exclude-result-prefixes="rdf rss09 rss10 atom03 atom dc content">

  <xsl:output method="xml" omit-xml-declaration="yes" indent="no"/>

  <xsl:template match="/">
    <xsl:choose>
      <xsl:when test="rss/channel">
        <xsl:apply-templates select="rss/channel[1]"/>
      </xsl:when>
      <xsl:when test="rdf:RDF/rss10:channel">
        <xsl:apply-templates select="rdf:RDF/rss10:channel[1]"/>
      </xsl:when>
      <xsl:when test="rdf:RDF/rss09:channel">
        <xsl:apply-templates select="rdf:RDF/rss09:channel[1]"/>
      </xsl:when>
      <xsl:when test="atom:feed">
        <xsl:apply-templates select="atom:feed"/>
      </xsl:when>
      <xsl:when test="atom03:feed">
        <xsl:apply-templates select="atom03:feed"/>
      </xsl:when>
      <xsl:otherwise>
        <cachedata format="1"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- RSS 0.91, 0.92, 2.0 -->
  <xsl:template match="channel">
    <cachedata format="1" dialect="rss{../@version}">
      <title><xsl:value-of select="title"/></title>
      <link><xsl:value-of select="link"/></link>
      <description><xsl:value-of select="description"/></description>
      <items>
        <xsl:for-each select="item">
          <item>
            <title><xsl:value-of select="title"/></title>
            <link>
              <xsl:choose>
                <xsl:when test="link"><xsl:value-of select="link"/></xsl:when>
                <xsl:when test="guid[not(@isPermaLink = 'false')]"><xsl:value-of select="guid"/></xsl:when>
              </xsl:choose>
            </link>
            <date>
              <xsl:choose>
                <xsl:when test="pubDate"><xsl:value-of select="pubDate"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="dc:date"/></xsl:otherwise>
              </xsl:choose>
            </date>
            <description>
              <xsl:choose>
                <xsl:when test="description"><xsl:value-of select="description"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="content:encoded"/></xsl:otherwise>
              </xsl:choose>
            </description>
            <xsl:for-each select="enclosure[1]">
              <enclosure url="{@url}" type="{@type}" length="{@length}"/>
            </xsl:for-each>
          </item>
        </xsl:for-each>
      </items>
    </cachedata>
  </xsl:template>

  <!-- RSS 1.0 and 0.90: the items stand beside the channel. -->
  <xsl:template match="rss10:channel | rss09:channel">
    <cachedata format="1">
      <xsl:attribute name="dialect">
        <xsl:choose>
          <xsl:when test="self::rss10:channel">rss1.0</xsl:when>
          <xsl:otherwise>rss0.90</xsl:otherwise>
        </xsl:choose>
      </xsl:attribute>
      <title><xsl:value-of select="rss10:title | rss09:title"/></title>
      <link><xsl:value-of select="rss10:link | rss09:link"/></link>
      <description><xsl:value-of select="rss10:description | rss09:description"/></description>
      <items>
        <xsl:for-each select="../rss10:item | ../rss09:item">
          <item>
            <title><xsl:value-of select="rss10:title | rss09:title"/></title>
            <link><xsl:value-of select="rss10:link | rss09:link"/></link>
            <date><xsl:value-of select="dc:date"/></date>
            <description>
              <xsl:choose>
                <xsl:when test="rss10:description"><xsl:value-of select="rss10:description"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="content:encoded"/></xsl:otherwise>
              </xsl:choose>
            </description>
          </item>
        </xsl:for-each>
      </items>
    </cachedata>
  </xsl:template>

  <!-- Atom 1.0 -->
  <xsl:template match="atom:feed">
    <cachedata format="1" dialect="atom1.0">
      <title><xsl:value-of select="atom:title"/></title>
      <link><xsl:value-of select="(atom:link[@rel = 'alternate' or not(@rel)])[1]/@href"/></link>
      <description><xsl:value-of select="atom:subtitle"/></description>
      <items>
        <xsl:for-each select="atom:entry">
          <item>
            <title><xsl:value-of select="atom:title"/></title>
            <link><xsl:value-of select="(atom:link[@rel = 'alternate' or not(@rel)])[1]/@href"/></link>
            <date>
              <xsl:choose>
                <xsl:when test="atom:published"><xsl:value-of select="atom:published"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="atom:updated"/></xsl:otherwise>
              </xsl:choose>
            </date>
            <description>
              <xsl:choose>
                <xsl:when test="atom:summary"><xsl:value-of select="atom:summary"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="atom:content"/></xsl:otherwise>
              </xsl:choose>
            </description>
            <xsl:for-each select="atom:link[@rel = 'enclosure'][1]">
              <enclosure url="{@href}" type="{@type}" length="{@length}"/>
            </xsl:for-each>
          </item>
        </xsl:for-each>
      </items>
    </cachedata>
  </xsl:template>

  <!-- Atom 0.3 -->
  <xsl:template match="atom03:feed">
    <cachedata format="1" dialect="atom0.3">
      <title><xsl:value-of select="atom03:title"/></title>
      <link><xsl:value-of select="(atom03:link[@rel = 'alternate' or not(@rel)])[1]/@href"/></link>
      <description><xsl:value-of select="atom03:tagline"/></description>
      <items>
        <xsl:for-each select="atom03:entry">
          <item>
            <title><xsl:value-of select="atom03:title"/></title>
            <link><xsl:value-of select="(atom03:link[@rel = 'alternate' or not(@rel)])[1]/@href"/></link>
            <date>
              <xsl:choose>
                <xsl:when test="atom03:issued"><xsl:value-of select="atom03:issued"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="atom03:modified"/></xsl:otherwise>
              </xsl:choose>
            </date>
            <description>
              <xsl:choose>
                <xsl:when test="atom03:summary"><xsl:value-of select="atom03:summary"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="atom03:content"/></xsl:otherwise>
              </xsl:choose>
            </description>
            <xsl:for-each select="atom03:link[@rel = 'enclosure'][1]">
              <enclosure url="{@href}" type="{@type}" length="{@length}"/>
            </xsl:for-each>
          </item>
        </xsl:for-each>
      </items>
    </cachedata>
  </xsl:template>

</xsl:stylesheet>
